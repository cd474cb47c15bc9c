#pragma once

// The background signal reading of the rover dialogs. A dialect supplies one cycle (put the radio
// into command mode, read one value into `level`, return it to data mode, rest) and the command
// that returns the radio to data mode; the poller runs the cycle on its own std::jthread until
// asked to stop, then sends that command and reports Finished.
//
//     poller.Start(link, [](CRadioLink& l, std::atomic<int>& level) { Microhard::SignalCycle(l, level); },
//                  "ATO", 0);
//     ... display timer: poller.SignalLevel() ...
//     poller.RequestStop(); while (!poller.Finished()) PumpWait(100); poller.Join();
//
// The cycle must check link.StopRequested() between its steps and return when it is set; its
// pauses stay whole (a guard time is never cut short), so a stop takes at most one guard time
// plus one step. The dialog must not touch the port between Start and Join: the poller borrows it.
// The link should pause with a plain sleep (the thread has no event loop).
//
// A thread that does not finish (stuck in a driver call) is given up with Abandon instead of
// Join: it is detached, never destroyed joinable, and keeps what it uses (its state, the cycle and
// a link passed as shared_ptr) alive itself; from then on its link neither reads nor writes, so
// when the stuck call returns the thread ends without touching the port again.

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

    CSignalPoller() = default;
    ~CSignalPoller();  // stops and joins
    CSignalPoller(const CSignalPoller&) = delete;
    CSignalPoller& operator=(const CSignalPoller&) = delete;

    // Sets the start level and starts the thread; a running poller is stopped first. The first
    // form borrows `link` until Join; the second shares it with the thread.
    void Start(CRadioLink& link, Cycle cycle, std::string returnCommand, int startLevel);
    void Start(std::shared_ptr<CRadioLink> link, Cycle cycle, std::string returnCommand, int startLevel);
    void RequestStop();
    // True once the thread has sent its return command (or never ran).
    bool Finished() const;
    void Join();
    // RequestStop and Join.
    void Stop();
    // RequestStop, then detach a thread that has not finished; its link goes quiet. Afterwards
    // the poller is not Running and may be started again with a fresh state.
    void Abandon();

    bool Running() const { return m_thread.joinable(); }
    int SignalLevel() const { return m_shared->State.SignalLevel.load(); }
    const SPollState& State() const { return m_shared->State; }

    // What a thread shares with its poller; an abandoned thread keeps its own.
    struct SShared {
        SPollState State;
        std::atomic<bool> Abandoned{false};
    };

private:
    std::shared_ptr<SShared> m_shared = std::make_shared<SShared>();
    std::jthread m_thread;
};
