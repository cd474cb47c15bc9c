#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "marks/mark_list.h"
#include "marks/mark_writer.h"

namespace {
struct Recorder {
    std::vector<std::string> sent;
    CMarkWriter::Sink Sink()
    {
        return [this](const std::string& s) { sent.push_back(s); };
    }
};

int RunToEnd(CMarkWriter& w)
{
    int steps = 1;
    while (w.Step())
        ++steps;
    return steps;
}
}  // namespace

TEST(MarksWriter, EmptyListSendsOnlyClearMarks)
{
    CMarkList list;
    Recorder r;
    CMarkWriter w(list, r.Sink());
    EXPECT_FALSE(w.IsRunning());
    EXPECT_TRUE(w.Step());
    EXPECT_TRUE(w.IsRunning());
    EXPECT_FALSE(w.Step());
    EXPECT_FALSE(w.IsRunning());
    EXPECT_EQ(r.sent, (std::vector<std::string>{"$KBASE,CLEARMARKS"}));
    EXPECT_EQ(w.Percent(), 100);
}

TEST(MarksWriter, OneAddMarkPerStepInListOrderThenEnd)
{
    CMarkList list;
    list.AddMark("51.5", "-1.25", "100");
    list.AddMark("10.50", "20", "");
    list.AddMark("-33.1", "151.2", "5");
    Recorder r;
    CMarkWriter w(list, r.Sink());
    ASSERT_TRUE(w.Step());
    EXPECT_EQ(w.Total(), 3u);
    EXPECT_EQ(w.Percent(), 0);
    ASSERT_TRUE(w.Step());
    EXPECT_EQ(w.Sent(), 1u);
    EXPECT_EQ(w.Percent(), 33);
    EXPECT_EQ(RunToEnd(w), 3);  // two more marks, then the step that ends
    EXPECT_EQ(r.sent, (std::vector<std::string>{"$KBASE,CLEARMARKS", "$KBASE,ADDMARK,51.5,-1.25,100",
                                                 "$KBASE,ADDMARK,10.50,20,", "$KBASE,ADDMARK,-33.1,151.2,5"}));
    EXPECT_EQ(w.Percent(), 100);

    // The writer is idle again: the next run starts with a new clear.
    r.sent.clear();
    EXPECT_EQ(RunToEnd(w), 5);
    EXPECT_EQ(r.sent.size(), 4u);
    EXPECT_EQ(r.sent.front(), "$KBASE,CLEARMARKS");
}

TEST(MarksWriter, ResetAfterACutShortRunStartsAfresh)
{
    CMarkList list;
    list.AddMark("1", "2", "3");
    list.AddMark("4", "5", "6");
    Recorder r;
    CMarkWriter w(list, r.Sink());
    w.Step();
    w.Step();
    w.Reset();
    EXPECT_FALSE(w.IsRunning());
    r.sent.clear();
    RunToEnd(w);
    EXPECT_EQ(r.sent, (std::vector<std::string>{"$KBASE,CLEARMARKS", "$KBASE,ADDMARK,1,2,3", "$KBASE,ADDMARK,4,5,6"}));

    // Two writers on two lists share nothing.
    CMarkList other;
    other.AddMark("7", "8", "9");
    Recorder r2;
    CMarkWriter w2(other, r2.Sink());
    r.sent.clear();
    w.Step();
    w2.Step();
    w.Step();
    w2.Step();
    EXPECT_EQ(r.sent.back(), "$KBASE,ADDMARK,1,2,3");
    EXPECT_EQ(r2.sent.back(), "$KBASE,ADDMARK,7,8,9");
}
