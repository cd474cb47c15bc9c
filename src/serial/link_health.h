#pragma once

#include <chrono>
#include <optional>
#include <string>

class CLanguageModule;

// What a working dialog knows about its link to the equipment, fed from the dialog's own read path
// and its port's lost state: bytes arriving, the port going away, the port opening again. From
// these and the clock it tells the link line, whether to try the port again, and how old the last
// readings are. No clock of its own, so that tests drive it on virtual time.
class CLinkHealth {
public:
    using Clock = std::chrono::steady_clock;

    enum class EState {
        Receiving,    // something arrived within SilentAfter (or nothing is expected)
        Silent,       // the port is open but nothing arrived for longer than SilentAfter
        Lost,         // the port is gone; waiting for it to come back
        Reconnected,  // the port came back within the last ShowReconnectedFor
    };

    static constexpr std::chrono::seconds SilentAfter{5};
    static constexpr std::chrono::seconds RetryEvery{1};
    static constexpr std::chrono::seconds ShowReconnectedFor{5};

    // portName: what the link line calls the port while it is lost ("COM5").
    CLinkHealth(std::string portName, Clock::time_point now);

    void Received(Clock::time_point t);
    void PortLost(Clock::time_point t);
    void Reopened(Clock::time_point t);
    // Whether the dialog waits for replies now (a rover whose polling is stopped does not); silence
    // counts only from the moment replies are expected again.
    void SetExpecting(bool expecting, Clock::time_point t);

    bool IsLost() const { return m_Lost; }
    EState State(Clock::time_point now) const;
    // While lost: true once a second, when the caller should try to open the port again.
    bool RetryDue(Clock::time_point now);
    // Whole seconds since anything arrived, while the link is silent or lost and something had
    // arrived before; nothing while the readings are live.
    std::optional<int> ReadingAge(Clock::time_point now) const;
    // The link line ("Link: receiving", "No answer for 12 s", ...), from the language module or the
    // built-in table.
    std::string Text(Clock::time_point now, const CLanguageModule* language) const;
    // A symbol for the state, so the line is never told by colour alone.
    static const char* Symbol(EState state);

    // "<reading> (40 s ago)" when the readings are old; the reading as it is otherwise.
    std::string Aged(const std::string& reading, Clock::time_point now, const CLanguageModule* language) const;

private:
    static int Seconds(Clock::duration d);

    std::string m_PortName;
    Clock::time_point m_LastReceived;
    Clock::time_point m_QuietSince;  // the later of the last reception and the start of expecting
    bool m_EverReceived = false;
    bool m_Expecting = true;
    bool m_Lost = false;
    Clock::time_point m_LostAt{};
    Clock::time_point m_NextRetry{};
    std::optional<Clock::time_point> m_ReopenedAt;
    int m_OutageSeconds = 0;
};
