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
// `link` is borrowed too; it should pause with a plain sleep (the thread has no event loop).

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

    // Sets the start level and starts the thread; a running poller is stopped first.
    void Start(CRadioLink& link, Cycle cycle, std::string returnCommand, int startLevel);
    void RequestStop();
    // True once the thread has sent its return command (or never ran).
    bool Finished() const;
    void Join();
    // RequestStop and Join.
    void Stop();

    bool Running() const { return m_thread.joinable(); }
    int SignalLevel() const { return m_state.SignalLevel.load(); }
    const SPollState& State() const { return m_state; }

private:
    SPollState m_state;
    std::jthread m_thread;
};
