#pragma once

// The background signal reading of the rover dialogs. A dialect supplies one cycle (put the radio
// into command mode, read one value into `level`, return it to data mode, rest) and the command
// that returns the radio to data mode; the poller runs the cycle on its own std::jthread until
// asked to stop, then sends that command and reports Finished.
//
//     poller.Start(link, [](CRadioLink& l, std::atomic<int>& level) { Microhard::SignalCycle(l, level); },
//                  "ATO", 0);
//     ... display timer: poller.SignalLevel() ...
//     if (!poller.StopWithin(RadioTiming::StopWaitMs, PumpWait, RadioTiming::StopPollMs)) ...close the port
//
// The cycle must check link.StopRequested() between its steps and return when it is set; its
// pauses stay whole (a guard time is never cut short), so a stop takes at most one guard time
// plus one step. The dialog must not touch the port between Start and the end of the stop.
// The link should pause with a plain sleep (the thread has no event loop).
//
// A thread that does not finish in time (stuck in a driver call) is detached instead of joined:
// it keeps what it uses (its state, the cycle and the link, shared with it) alive itself, and
// from then on its link neither reads nor writes, so when the stuck call returns the thread ends
// without touching the port again.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "radio/radio_link.h"

// The handshake record shared by a dialog and its polling thread.
struct SPollState {
    enum : int { Running = 0, StopRequestedState = 1, Finished = 2 };
    std::atomic<int> StopState{Running};
    std::atomic<int> SignalLevel{0};  // written by the thread only once it runs
};

class CSignalPoller {
public:
    using Cycle = std::function<void(CRadioLink& link, std::atomic<int>& level)>;
    // Waits about `milliseconds` while the caller's work goes on (a dialog pumps its events).
    using Wait = std::function<void(int milliseconds)>;

    CSignalPoller() = default;
    ~CSignalPoller();  // stops and joins
    CSignalPoller(const CSignalPoller&) = delete;
    CSignalPoller& operator=(const CSignalPoller&) = delete;

    // Sets the start level and starts the thread, which shares `link`; a running poller is
    // stopped first (joined: stop it with StopWithin before when it may be stuck).
    void Start(std::shared_ptr<CRadioLink> link, Cycle cycle, std::string returnCommand, int startLevel);
    // The same with a borrowed link, which must outlive the thread (never use it with StopWithin).
    void Start(CRadioLink& link, Cycle cycle, std::string returnCommand, int startLevel);
    void RequestStop();
    // True once the thread has sent its return command (or never ran).
    bool Finished() const;
    void Join();
    // RequestStop and Join.
    void Stop();
    // RequestStop, then `wait` in steps of `stepMs` until the thread finishes or `limitMs` have
    // passed. A finished thread is joined (true); one still running is detached with its link
    // quiet (false). Either way the poller is not Running afterwards and may start again.
    bool StopWithin(int limitMs, const Wait& wait, int stepMs);

    bool Running() const { return m_thread.joinable(); }
    int SignalLevel() const { return m_shared->State.SignalLevel.load(); }
    const SPollState& State() const { return m_shared->State; }

private:
    // What a thread shares with its poller; a detached thread keeps its own.
    struct SShared {
        SPollState State;
        std::atomic<bool> Abandoned{false};
    };
    void Abandon();

    std::shared_ptr<SShared> m_shared = std::make_shared<SShared>();
    std::jthread m_thread;
};
