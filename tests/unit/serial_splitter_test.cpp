#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/callback.h"
#include "serial/sentence_splitter.h"

namespace {

// Records every delivery in order as "kind:text".
class Recorder
{
public:
    void OnSentence(std::string s) { events.push_back("S:" + s); }
    void OnChunk(std::string s) { events.push_back("C:" + s); }
    void OnText(std::string s) { events.push_back("T:" + s); }

    std::vector<std::string> events;
};

class SerialSplitterTest : public ::testing::Test
{
protected:
    void Feed(const std::string& chunk) { splitter.Feed(chunk.data(), static_cast<int>(chunk.size())); }
    void FeedChunk(const std::string& chunk)
    {
        splitter.FeedChunk(chunk.data(), static_cast<int>(chunk.size()));
    }
    std::vector<std::string> Sentences() const
    {
        std::vector<std::string> out;
        for (const auto& e : rec.events)
            if (e.rfind("S:", 0) == 0)
                out.push_back(e.substr(2));
        return out;
    }

    Recorder rec;
    TCallback<Recorder> sentence{&rec, &Recorder::OnSentence};
    TCallback<Recorder> chunk{&rec, &Recorder::OnChunk};
    TCallback<Recorder> text{&rec, &Recorder::OnText};
    CSentenceSplitter splitter{&sentence, &chunk, &text};
};

using Events = std::vector<std::string>;

TEST_F(SerialSplitterTest, SentenceSpansChunks)
{
    Feed("$GPG");
    Feed("GA,1\r");
    EXPECT_EQ(splitter.GetState(), CSentenceSplitter::CrSeen);
    Feed("\n");
    EXPECT_EQ(Sentences(), (std::vector<std::string>{"$GPGGA,1"}));
    EXPECT_EQ(splitter.GetState(), CSentenceSplitter::BetweenSentences);
}

TEST_F(SerialSplitterTest, ByteAfterCrDropsTheSentence)
{
    Feed("$A\rX$B\r\n");
    EXPECT_EQ(rec.events, (Events{"T:", "T:", "S:$B"}));
}

TEST_F(SerialSplitterTest, TextBeforeSentenceIsFlushedAtDollar)
{
    Feed("OK\r\n$X\r\n");
    EXPECT_EQ(rec.events, (Events{"T:OK\r\n", "S:$X"}));
    // Nothing was left behind: the next chunk's text starts afresh.
    Feed("Z");
    EXPECT_EQ(rec.events.back(), "T:Z");
}

TEST_F(SerialSplitterTest, PlainTextChunkGoesToChunkAndTextThenWholeChunk)
{
    FeedChunk("ERROR");
    EXPECT_EQ(rec.events, (Events{"C:ERROR", "T:ERROR", "C:ERROR"}));
}

TEST_F(SerialSplitterTest, DollarInsideSentenceIsOrdinaryAndLineEndsAreNotDelivered)
{
    Feed("$KBASE,MARKS,$1\r\n$>JRTK,17,a\r\nrest");
    EXPECT_EQ(rec.events, (Events{"T:", "S:$KBASE,MARKS,$1", "T:", "S:$>JRTK,17,a", "C:rest", "T:rest"}));
    // LF without CR is part of the sentence; a lone CR then LF ends it.
    rec.events.clear();
    Feed("$a\nb\r\n");
    EXPECT_EQ(rec.events, (Events{"T:", "S:$a\nb"}));
}

TEST_F(SerialSplitterTest, ChunkEndingInsideSentenceFlushesNothing)
{
    FeedChunk("ab$GP");
    EXPECT_EQ(rec.events, (Events{"T:ab", "C:ab$GP"}));
    EXPECT_EQ(splitter.GetSentenceBuffer(), "$GP");
}

TEST_F(SerialSplitterTest, ChunkKeepsNulBytesAndEmptyChunksDoNothing)
{
    const std::string withNul("A\0B", 3);
    FeedChunk(withNul);
    ASSERT_EQ(rec.events.size(), 3u);
    EXPECT_EQ(rec.events[2], "C:" + withNul);
    EXPECT_EQ(rec.events[1], "T:" + withNul);

    rec.events.clear();
    splitter.Feed("x", 0);
    splitter.FeedChunk("x", -1);
    splitter.Feed(nullptr, 5);
    EXPECT_TRUE(rec.events.empty());
}

TEST_F(SerialSplitterTest, SentenceCallbackOnlyIsEnough)
{
    CSentenceSplitter bare(&sentence);
    const std::string traffic = "junk$A,1\r\nmore\r\n$B\r\n";
    bare.FeedChunk(traffic.data(), static_cast<int>(traffic.size()));
    EXPECT_EQ(rec.events, (Events{"S:$A,1", "S:$B"}));
}

TEST_F(SerialSplitterTest, RunawaySentenceIsDroppedAtTheLimit)
{
    Feed("$");
    const std::string filler(CSentenceSplitter::MaxSentenceLength - 1, 'x');
    Feed(filler); // exactly at the limit: still collecting
    EXPECT_EQ(splitter.GetState(), CSentenceSplitter::InSentence);
    EXPECT_EQ(splitter.GetSentenceBuffer().size(), CSentenceSplitter::MaxSentenceLength);

    rec.events.clear();
    Feed("y$OK\r\n"); // one byte over: dropped, and the "$" right after starts anew
    EXPECT_EQ(rec.events, (Events{"T:y", "S:$OK"}));

    // A stream that never ends a sentence keeps its memory bounded.
    rec.events.clear();
    Feed("$");
    const std::string block(4096, 'z');
    for (int i = 0; i < 64; ++i)
        Feed(block);
    EXPECT_LE(splitter.GetSentenceBuffer().size(), CSentenceSplitter::MaxSentenceLength);
    Feed("$GPGGA\r\n");
    EXPECT_EQ(Sentences(), (std::vector<std::string>{"$GPGGA"}));
}

TEST_F(SerialSplitterTest, SplitAtEveryPositionGivesTheSameSentences)
{
    const std::string traffic = "OK\r\n$>JAPP,1\r\nATS104?\r\n00\r\n$KBASE,MARKS,1,2,3\r\n$X\r\rY";
    CSentenceSplitter whole(&sentence);
    whole.Feed(traffic.data(), static_cast<int>(traffic.size()));
    const auto expected = Sentences();
    ASSERT_EQ(expected, (std::vector<std::string>{"$>JAPP,1", "$KBASE,MARKS,1,2,3"}));

    for (std::size_t cut = 0; cut <= traffic.size(); ++cut) {
        rec.events.clear();
        CSentenceSplitter split(&sentence);
        split.Feed(traffic.data(), static_cast<int>(cut));
        split.Feed(traffic.data() + cut, static_cast<int>(traffic.size() - cut));
        EXPECT_EQ(Sentences(), expected) << "cut at " << cut;
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
    cCallback& base = late;
    base("hi");
    EXPECT_EQ(rec.events, (Events{"T:hi"}));
}

struct Ticker
{
    void Tick() { ++ticks; }
    int ticks = 0;
};

TEST(SerialCallback, NoArgumentCallbackCallsItsMember)
{
    Ticker t;
    BCallback<Ticker> cb(&t, &Ticker::Tick);
    bCallback& base = cb;
    base();
    base();
    EXPECT_EQ(t.ticks, 2);
    BCallback<Ticker> unbound;
    unbound(); // does nothing
}

} // namespace
