#pragma once

// Everything that crosses the serial line passes one tap: CSerialPort reports each successful read
// and write to it (and its opening and closing), from whichever thread made the call, while it
// holds its own I/O lock, so observers see the bytes in wire order. Observers are the console's
// row log (CWireLog) and a session recording (CWireRecorder).

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "serial/session_log.h"

enum class EWireDirection { Sent, Received, Event };

class IWireObserver
{
public:
    virtual ~IWireObserver() = default;
    // bytes is never empty for Sent and Received; for Event it is the event's text.
    virtual void OnWire(EWireDirection direction, std::string_view bytes,
                        std::chrono::steady_clock::time_point at) = 0;
};

class CWireTap
{
public:
    using Clock = std::chrono::steady_clock;

    void Sent(const char* bytes, std::size_t length) { Pass(EWireDirection::Sent, bytes, length); }
    void Received(const char* bytes, std::size_t length)
    {
        if (length == 0)
            return;
        const auto now = Clock::now();
        m_LastReceived.store(now.time_since_epoch().count(), std::memory_order_relaxed);
        if (m_Watched.load(std::memory_order_acquire))
            Notify(EWireDirection::Received, std::string_view(bytes, length), now);
    }
    void Event(std::string_view text);

    // When bytes last arrived (a default time point before the first).
    Clock::time_point LastReceived() const
    {
        return Clock::time_point(Clock::duration(m_LastReceived.load(std::memory_order_relaxed)));
    }

    // The observer must stay alive until removed.
    void Add(IWireObserver* observer);
    void Remove(IWireObserver* observer);

private:
    void Pass(EWireDirection direction, const char* bytes, std::size_t length)
    {
        if (length == 0 || !m_Watched.load(std::memory_order_acquire))
            return;
        Notify(direction, std::string_view(bytes, length), Clock::now());
    }
    void Notify(EWireDirection direction, std::string_view bytes, Clock::time_point at);

    std::atomic<Clock::rep> m_LastReceived{0};
    std::atomic<bool> m_Watched{false};
    std::mutex m_Lock;
    std::vector<IWireObserver*> m_Observers;
};

// One console row: a sentence or burst in one direction, or an event.
struct SWireRow {
    long long ms = 0;        // since the port opened
    EWireDirection direction = EWireDirection::Event;
    std::string bytes;
};

// The console's history: the last MaxRows rows (and at most MaxBytes of bytes), counting the ones
// it dropped. Sent bytes make a row per write; received bytes are split after each line end, and a
// received run without one stays open for more until it is MaxRowBytes long, something is sent, or
// OpenRowMs pass. Thread-safe: the port's threads append, the window copies.
class CWireLog : public IWireObserver
{
public:
    static constexpr std::size_t MaxRows = 100000;
    static constexpr std::size_t MaxBytes = 32u * 1024 * 1024;
    static constexpr std::size_t MaxRowBytes = 4096;
    static constexpr long long OpenRowMs = 100;

    void OnWire(EWireDirection direction, std::string_view bytes,
                std::chrono::steady_clock::time_point at) override;

    // Rows numbered from 0 since the start (or Clear); dropped rows keep their numbers.
    struct SSnapshot {
        unsigned long long first = 0;      // number of rows[0]
        std::vector<SWireRow> rows;        // rows numbered from `from` on (or from first, if later)
        unsigned long long dropped = 0;    // rows dropped since the start
        unsigned long long generation = 0; // changes on Clear
    };
    // Copies the rows numbered from `from` on, the last one included even if still open.
    SSnapshot Since(unsigned long long from) const;
    std::size_t Size() const;
    unsigned long long Dropped() const;
    void Clear();

private:
    void Append(SWireRow row);
    void DropOld();

    mutable std::mutex m_Lock;
    std::deque<SWireRow> m_Rows;
    unsigned long long m_First = 0;
    unsigned long long m_Dropped = 0;
    unsigned long long m_Generation = 0;
    std::size_t m_Bytes = 0;
    bool m_Open = false;    // the last row is a received run still taking bytes
    bool m_AfterCr = false; // ... and its last byte is a CR that may be followed by LF
    std::chrono::steady_clock::time_point m_Base{};
    std::chrono::steady_clock::time_point m_LastAt{};
    bool m_HasBase = false;
};

// A session recording: writes the tap's traffic to a session log from the device's side (what
// the program sent is R, what it received is S), milliseconds since the recording started.
class CWireRecorder : public IWireObserver
{
public:
    bool Start(const std::string& path);
    void Stop();
    bool Active() const { return m_Writer.IsOpen(); }
    bool Failed() const { return m_Writer.Failed(); }
    void OnWire(EWireDirection direction, std::string_view bytes,
                std::chrono::steady_clock::time_point at) override;

private:
    CSessionLogWriter m_Writer;
    std::atomic<std::chrono::steady_clock::rep> m_Start{0};
};

// A console row's bytes as text in which nothing is hidden: printable ASCII as it is, CR and LF as
// the marks "␍" and "␊" (UTF-8), any other byte as "⟨HH⟩".
std::string WireBytesText(std::string_view bytes);
// Each byte as two upper-case hex digits, separated by spaces.
std::string WireBytesHex(std::string_view bytes);
// "12.345" seconds.
std::string WireRowTime(long long ms);
// "TX", "RX" or "--" (an event).
const char* WireRowDirection(EWireDirection direction);
// One row as a line of text: time, direction, text (hex when asked).
std::string WireRowLine(const SWireRow& row, bool hex);
