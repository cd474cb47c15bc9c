#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/link_health.h"
#include "serial/port_errors.h"

#include <cerrno>

using namespace std::chrono_literals;

namespace {

using Clock = CLinkHealth::Clock;

// One event on a virtual clock (ms from the start), then what the link should tell at that moment.
struct SStep {
    int AtMs;
    char Event;  // 'r' received, 'l' lost, 'o' reopened, 'q' stop expecting, 'e' expect again, '-' none
    CLinkHealth::EState State;
    const char* Text;
    int Age;     // -1: readings live
    bool Retry;  // RetryDue at this moment
};

}  // namespace

TEST(LinkHealth, TellsReceivingSilentLostAndReconnectedOnAVirtualClock)
{
    using E = CLinkHealth::EState;
    const std::vector<SStep> steps = {
        {0, '-', E::Receiving, "Link: receiving", -1, false},  // nothing yet: no age, no silence yet
        {500, 'r', E::Receiving, "Link: receiving", -1, false},
        {5500, '-', E::Receiving, "Link: receiving", -1, false},  // 5 s exactly is still in time
        {5600, '-', E::Silent, "No answer for 5 s", 5, false},
        {17500, '-', E::Silent, "No answer for 17 s", 17, false},
        {18000, 'r', E::Receiving, "Link: receiving", -1, false},
        {20000, 'l', E::Lost, "Connection lost - waiting for COM5\u2026", 2, false},
        {20999, '-', E::Lost, "Connection lost - waiting for COM5\u2026", 2, false},
        {21000, '-', E::Lost, "Connection lost - waiting for COM5\u2026", 3, true},
        {21500, '-', E::Lost, "Connection lost - waiting for COM5\u2026", 3, false},
        {22000, '-', E::Lost, "Connection lost - waiting for COM5\u2026", 4, true},
        {22000, 'l', E::Lost, "Connection lost - waiting for COM5\u2026", 4, false},  // lost again: the outage goes on
        {57000, 'o', E::Reconnected, "Reconnected after 37 s", 39, false},
        {57200, 'r', E::Reconnected, "Reconnected after 37 s", -1, false},
        {62200, '-', E::Receiving, "Link: receiving", -1, false},
        {70000, 'q', E::Receiving, "Link: receiving", -1, false},  // not expecting: silence is no fault
        {90000, 'e', E::Receiving, "Link: receiving", -1, false},  // silence counts from here
        {95100, '-', E::Silent, "No answer for 5 s", 37, false},
        {96000, 'o', E::Silent, "No answer for 6 s", 38, false},  // reopened while not lost: nothing
    };
    const Clock::time_point t0{};
    CLinkHealth link("COM5", t0);
    for (const SStep& s : steps) {
        const Clock::time_point t = t0 + std::chrono::milliseconds(s.AtMs);
        switch (s.Event) {
        case 'r': link.Received(t); break;
        case 'l': link.PortLost(t); break;
        case 'o': link.Reopened(t); break;
        case 'q': link.SetExpecting(false, t); break;
        case 'e': link.SetExpecting(true, t); break;
        default: break;
        }
        SCOPED_TRACE(s.AtMs);
        EXPECT_EQ(link.State(t), s.State);
        EXPECT_EQ(link.IsLost(), s.State == E::Lost);
        EXPECT_EQ(link.Text(t, nullptr), s.Text);
        EXPECT_EQ(link.ReadingAge(t).value_or(-1), s.Age);
        EXPECT_EQ(link.RetryDue(t), s.Retry);
        EXPECT_EQ(link.Aged("Battery Voltage: 12.50V", t, nullptr),
                  s.Age < 0 ? "Battery Voltage: 12.50V" : "Battery Voltage: 12.50V (" + std::to_string(s.Age) + " s ago)");
    }
    // Every state has its own symbol.
    EXPECT_STRNE(CLinkHealth::Symbol(E::Lost), CLinkHealth::Symbol(E::Silent));
    EXPECT_STRNE(CLinkHealth::Symbol(E::Receiving), CLinkHealth::Symbol(E::Reconnected));
}

TEST(LinkHealth, LostPortErrorsOnBothPlatforms)
{
    for (int e : {EIO, ENXIO, ENODEV})
        EXPECT_TRUE(IsLostPortErrno(e)) << e;
    for (int e : {0, EAGAIN, EINTR, EBUSY, EACCES})
        EXPECT_FALSE(IsLostPortErrno(e)) << e;
    // What Win32 comm calls report for a pulled USB adapter, and what a busy or silent port gives.
    for (unsigned long e : {2ul, 5ul, 6ul, 21ul, 22ul, 31ul, 433ul, 1167ul, 1617ul})
        EXPECT_TRUE(IsLostPortWin32Error(e)) << e;
    for (unsigned long e : {0ul, 997ul /* IO_PENDING */, 995ul /* OPERATION_ABORTED: our own cancel */, 121ul /* SEM_TIMEOUT */})
        EXPECT_FALSE(IsLostPortWin32Error(e)) << e;
}
