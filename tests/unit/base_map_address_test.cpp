#include <gtest/gtest.h>

#include "base/map_address.h"
#include "marks/mark_list.h"

TEST(BaseMapAddress, NumbersInListOrderWithTextsAsHeld)
{
    CMarkList marks;
    EXPECT_EQ(BuildMapAddress(marks, "http://h/p"), "");
    marks.AddMark("10.5", "20.25", "1");
    marks.AddMark("-33.1", "151.2", "2");
    marks.AddMark("1.50", "-0.000100", "3");
    EXPECT_EQ(BuildMapAddress(marks, "http://h/p"),
              "http://h/p?lat0=10.5&lon0=20.25&lat1=-33.1&lon1=151.2&lat2=1.50&lon2=-0.000100");
    // The walk leaves the shared cursor alone.
    const CMark* m = nullptr;
    marks.GetFirst(m);
    SetMapServiceUrl("http://s/q");
    EXPECT_EQ(BuildMapAddress(marks).find("http://s/q?lat0=10.5&"), 0u);
    SetMapServiceUrl("");
    ASSERT_TRUE(marks.GetNext(m));
    EXPECT_EQ(m->GetLatitude(), "-33.1");
}

TEST(BaseMapAddress, ForeignTextsCannotAddParametersOrScript)
{
    CMarkList marks;
    marks.AddMark("1&lat1=2", "<script>alert(1)</script>", "0");
    marks.AddMark("5 6#x", "+7\xC3\xA9", "0");
    EXPECT_EQ(BuildMapAddress(marks, "http://h/p"),
              "http://h/p?lat0=1%26lat1%3D2&lon0=%3Cscript%3Ealert%281%29%3C%2Fscript%3E"
              "&lat1=5%206%23x&lon1=%2B7%C3%A9");
    EXPECT_EQ(PercentEncode("aZ09-._~"), "aZ09-._~");
}
