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

struct SplitCase
{
    const char* name;
    bool feedChunk;
    Events chunks;
    Events expected;
};
void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SerialSplitterTest : public ::testing::TestWithParam<SplitCase>
{
protected:
    Recorder rec;
    TCallback<Recorder> sentence{&rec, &Recorder::OnSentence};
    TCallback<Recorder> chunk{&rec, &Recorder::OnChunk};
    TCallback<Recorder> text{&rec, &Recorder::OnText};
    CSentenceSplitter splitter{&sentence, &chunk, &text};
};

TEST_P(SerialSplitterTest, DeliversInOrder)
{
    for (const std::string& c : GetParam().chunks)
        Feed(splitter, c, GetParam().feedChunk);
    EXPECT_EQ(rec.events, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SerialSplitterTest, ::testing::Values(
    SplitCase{"SentenceSpansChunks", false, {"$GPG", "GA,1\r", "\n"}, {"T:", "S:$GPGGA,1"}},
    // A byte other than LF after CR drops the sentence; the text is flushed (empty) at each "$".
    SplitCase{"ByteAfterCrDropsTheSentence", false, {"$A\rX$B\r\n"}, {"T:", "T:", "S:$B"}},
    // Text before a sentence is flushed at "$" and not carried into the next chunk.
    SplitCase{"TextBeforeSentence", false, {"OK\r\n$X\r\n", "Z"}, {"T:OK\r\n", "S:$X", "C:Z", "T:Z"}},
    SplitCase{"PlainChunkGoesToChunkTextThenWholeChunk", true, {"ERROR"}, {"C:ERROR", "T:ERROR", "C:ERROR"}},
    SplitCase{"ChunkEndingInsideSentenceFlushesNothing", true, {"ab$GP"}, {"T:ab", "C:ab$GP"}},
    // "$" inside a sentence is ordinary; LF without CR belongs to the sentence.
    SplitCase{"DollarAndLfInsideSentence", false, {"$KBASE,MARKS,$1\r\n$a\nb\r\nrest"},
              {"T:", "S:$KBASE,MARKS,$1", "T:", "S:$a\nb", "C:rest", "T:rest"}},
    SplitCase{"NulBytesKept", true, {"A\0B"s, "$\0\r\n"s},
              {"C:A\0B"s, "T:A\0B"s, "C:A\0B"s, "T:", "S:$\0"s, "C:$\0\r\n"s}},
    SplitCase{"EmptyInputDoesNothing", true, {""}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SerialSplitter, NullOrNegativeCountDoesNothing)
{
    Recorder rec;
    TCallback<Recorder> cb{&rec, &Recorder::OnText};
    CSentenceSplitter splitter(&cb, &cb, &cb);
    splitter.FeedChunk("x", -1);
    splitter.Feed(nullptr, 5);
    EXPECT_TRUE(rec.events.empty());
}

TEST(SerialSplitter, RunawaySentenceIsDroppedAtTheLimit)
{
    Recorder rec;
    TCallback<Recorder> sentence{&rec, &Recorder::OnSentence};
    TCallback<Recorder> text{&rec, &Recorder::OnText};
    CSentenceSplitter splitter(&sentence, nullptr, &text);
    Feed(splitter, "$" + std::string(CSentenceSplitter::MaxSentenceLength - 1, 'x')); // at the limit
    EXPECT_EQ(splitter.GetState(), CSentenceSplitter::InSentence);
    rec.events.clear();
    Feed(splitter, "y$OK\r\n"); // one byte over: dropped, and the "$" right after starts anew
    EXPECT_EQ(rec.events, (Events{"T:y", "S:$OK"}));

    // A stream that never ends a sentence keeps its memory bounded.
    Feed(splitter, "$");
    for (int i = 0; i < 64; ++i)
        Feed(splitter, std::string(4096, 'z'));
    EXPECT_LE(splitter.GetSentenceBuffer().size(), CSentenceSplitter::MaxSentenceLength);
    Feed(splitter, "$GPGGA\r\n");
    EXPECT_EQ(rec.Sentences(), (Events{"$OK", "$GPGGA"}));
}

TEST(SerialSplitter, SplitAtEveryPositionGivesTheSameSentences)
{
    const std::string traffic = "OK\r\n$>JAPP,1\r\nATS104?\r\n00\r\n$KBASE,MARKS,1,2,3\r\n$X\r\rY";
    for (std::size_t cut = 0; cut <= traffic.size(); ++cut) {
        Recorder rec;
        TCallback<Recorder> sentence{&rec, &Recorder::OnSentence};
        CSentenceSplitter split(&sentence); // the sentence callback alone is enough
        Feed(split, traffic.substr(0, cut));
        Feed(split, traffic.substr(cut));
        EXPECT_EQ(rec.Sentences(), (Events{"$>JAPP,1", "$KBASE,MARKS,1,2,3"})) << "cut at " << cut;
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
