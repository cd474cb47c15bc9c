#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/callback.h"
#include "serial/sentence_splitter.h"

using namespace std::string_literals;

namespace {

using Events = std::vector<std::string>;

// Records every delivery in order as "kind:text".
class Recorder
{
public:
    void OnSentence(std::string s) { events.push_back("S:" + s); }
    void OnChunk(std::string s) { events.push_back("C:" + s); }
    void OnText(std::string s) { events.push_back("T:" + s); }
    void Tick() { events.push_back("tick"); }

    Events Sentences() const
    {
        Events out;
        for (const auto& e : events)
            if (e.rfind("S:", 0) == 0)
                out.push_back(e.substr(2));
        return out;
    }

    Events events;
};

void Feed(CSentenceSplitter& splitter, const std::string& bytes, bool chunk = false)
{
    if (chunk)
        splitter.FeedChunk(bytes.data(), static_cast<int>(bytes.size()));
    else
        splitter.Feed(bytes.data(), static_cast<int>(bytes.size()));
}

// A splitter wired to a recorder; without `all`, to the sentence callback alone.
struct Wired
{
    explicit Wired(bool all = true) : splitter(&sentence, all ? &chunk : nullptr, all ? &text : nullptr) {}
    Recorder rec;
    TCallback<Recorder> sentence{&rec, &Recorder::OnSentence};
    TCallback<Recorder> chunk{&rec, &Recorder::OnChunk};
    TCallback<Recorder> text{&rec, &Recorder::OnText};
    CSentenceSplitter splitter;
};

TEST(SerialSplitter, DeliversInOrder)
{
    const struct
    {
        const char* name;
        bool feedChunk;
        Events chunks, expected;
    } cases[] = {
        {"sentence spans chunks", false, {"$GPG", "GA,1\r", "\n"}, {"T:", "S:$GPGGA,1"}},
        // A byte other than LF after CR drops the sentence and is outside text; the text is
        // flushed (empty) at each "$", and a "$" right after the CR starts the next sentence.
        {"byte after CR drops the sentence", false, {"$A\rX$B\r\n"}, {"T:", "T:X", "S:$B"}},
        {"sentence right after a lone CR", false, {"$A\r$B\r\n"}, {"T:", "T:", "S:$B"}},
        {"lone CR, then a sentence in the next chunk", false, {"$A\r", "$B\r\n"}, {"T:", "T:", "S:$B"}},
        // Text before a sentence is flushed at "$" and not carried into the next chunk.
        {"text before a sentence", false, {"OK\r\n$X\r\n", "Z"}, {"T:OK\r\n", "S:$X", "C:Z", "T:Z"}},
        {"plain chunk", true, {"ERROR"}, {"C:ERROR", "T:ERROR", "C:ERROR"}},
        {"chunk ending inside a sentence", true, {"ab$GP"}, {"T:ab", "C:ab$GP"}},
        // "$" inside a sentence is ordinary; LF without CR belongs to the sentence.
        {"dollar and LF inside a sentence", false, {"$KBASE,MARKS,$1\r\n$a\nb\r\nrest"},
         {"T:", "S:$KBASE,MARKS,$1", "T:", "S:$a\nb", "C:rest", "T:rest"}},
        {"NUL bytes", true, {"A\0B"s, "$\0\r\n"s}, {"C:A\0B"s, "T:A\0B"s, "C:A\0B"s, "T:", "S:$\0"s, "C:$\0\r\n"s}},
        {"empty chunk", true, {""}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Wired w;
        for (const std::string& bytes : c.chunks)
            Feed(w.splitter, bytes, c.feedChunk);
        EXPECT_EQ(w.rec.events, c.expected);
    }
    Wired w;
    w.splitter.FeedChunk("x", -1);
    w.splitter.Feed(nullptr, 5);
    EXPECT_TRUE(w.rec.events.empty());
}

TEST(SerialSplitter, RunawaySentenceIsDroppedAtTheLimit)
{
    Wired w;
    Feed(w.splitter, "$" + std::string(CSentenceSplitter::MaxSentenceLength - 1, 'x')); // at the limit
    EXPECT_EQ(w.splitter.GetState(), CSentenceSplitter::InSentence);
    w.rec.events.clear();
    Feed(w.splitter, "y$OK\r\n"); // one byte over: dropped, and the "$" right after starts anew
    EXPECT_EQ(w.rec.events, (Events{"T:y", "S:$OK"}));

    // A stream that never ends a sentence keeps its memory bounded.
    Feed(w.splitter, "$");
    for (int i = 0; i < 64; ++i)
        Feed(w.splitter, std::string(4096, 'z'));
    EXPECT_LE(w.splitter.GetSentenceBuffer().size(), CSentenceSplitter::MaxSentenceLength);
    Feed(w.splitter, "$GPGGA\r\n");
    EXPECT_EQ(w.rec.Sentences(), (Events{"$OK", "$GPGGA"}));
}

TEST(SerialSplitter, SplitAtEveryPositionGivesTheSameSentences)
{
    const std::string traffic = "OK\r\n$>JAPP,1\r\nATS104?\r\n00\r\n$KBASE,MARKS,1,2,3\r\n$X\r\rY";
    for (std::size_t cut = 0; cut <= traffic.size(); ++cut) {
        Wired w(false);
        Feed(w.splitter, traffic.substr(0, cut));
        Feed(w.splitter, traffic.substr(cut));
        EXPECT_EQ(w.rec.events, (Events{"S:$>JAPP,1", "S:$KBASE,MARKS,1,2,3"})) << "cut at " << cut;
    }
}

TEST(SerialCallback, UnboundCallbackReportsAndCarriesOn)
{
    TCallback<Recorder> unbound;
    testing::internal::CaptureStdout();
    unbound("lost");
    unbound("lost again");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR : the callback function has not been defined !!!!"
              "ERROR : the callback function has not been defined !!!!");

    Recorder rec;
    TCallback<Recorder> late;
    late.SetCallback(&rec, &Recorder::OnText);
    static_cast<cCallback&>(late)("hi");
    BCallback<Recorder> tick(&rec, &Recorder::Tick);
    static_cast<bCallback&>(tick)();
    BCallback<Recorder>()(); // unbound: does nothing
    EXPECT_EQ(rec.events, (Events{"T:hi", "tick"}));
}

} // namespace
