#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "marks/mark_list.h"
#include "marks/mark_writer.h"

namespace {
using Sent = std::vector<std::string>;

// Runs the writer to its end and returns the number of steps taken.
int RunToEnd(CMarkWriter& w)
{
    int steps = 1;
    while (w.Step())
        ++steps;
    return steps;
}
}  // namespace

TEST(MarksWriter, ClearThenOneAddMarkPerStepInListOrderThenEndAndResetStartsAfresh)
{
    CMarkList list;
    Sent sent;
    CMarkWriter w(list, [&sent](const std::string& s) { sent.push_back(s); });
    EXPECT_EQ(RunToEnd(w), 2);  // an empty list: only the clear
    EXPECT_EQ(sent, Sent{"$KBASE,CLEARMARKS"});
    EXPECT_EQ(w.Percent(), 100);

    list.AddMark("51.5", "-1.25", "100");
    list.AddMark("10.50", "20", "");
    list.AddMark("-33.1", "151.2", "5");
    sent.clear();
    ASSERT_TRUE(w.Step());
    EXPECT_TRUE(w.IsRunning());
    EXPECT_EQ(w.Percent(), 0);
    ASSERT_TRUE(w.Step());
    EXPECT_EQ(w.Percent(), 33);
    EXPECT_EQ(RunToEnd(w), 3);  // two more marks, then the step that ends
    const Sent all{"$KBASE,CLEARMARKS", "$KBASE,ADDMARK,51.5,-1.25,100", "$KBASE,ADDMARK,10.50,20,",
                   "$KBASE,ADDMARK,-33.1,151.2,5"};
    EXPECT_EQ(sent, all);
    EXPECT_EQ(w.Percent(), 100);
    EXPECT_FALSE(w.IsRunning());

    // Idle again, and after a run cut short by Reset: the next run starts with a new clear.
    for (int cut : {0, 2}) {
        for (int i = 0; i < cut; ++i)
            w.Step();
        w.Reset();
        EXPECT_FALSE(w.IsRunning());
        sent.clear();
        EXPECT_EQ(RunToEnd(w), 5);
        EXPECT_EQ(sent, all) << cut;
    }
}
