#pragma once

// The radio's side of the serial port as the radio code sees it. Queries, commits and pollers talk
// to a CRadioLink, never to CSerialPort directly, so that tests drive them with a scripted fake
// (tests/unit/support/fake_radio_link.h) on a virtual clock.
//
// A dialog makes one CSerialRadioLink over the shared port with PumpWait as its pause (the UI
// thread keeps dispatching events); a polling thread gets its own with a plain sleep and the
// thread's stop request (CSignalPoller does that itself).

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class CSerialPort;

class CRadioLink {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~CRadioLink() = default;
    // Text followed by CR LF.
    virtual void WriteLine(std::string_view text) = 0;
    // Bytes as they are ("+++").
    virtual void Write(std::string_view bytes) = 0;
    // What has arrived, at most `maximum` bytes, without waiting; empty when nothing has.
    virtual std::string Read(std::size_t maximum) = 0;
    // Discards what is queued in both directions.
    virtual void Purge() = 0;
    virtual void Pause(int milliseconds) = 0;
    virtual Clock::time_point Now() const = 0;
    // True once the owner of this link asked the code running on it to stop.
    virtual bool StopRequested() const = 0;
};

// A CRadioLink over the shared CSerialPort.
class CSerialRadioLink : public CRadioLink {
public:
    using PauseFunction = std::function<void(int)>;
    using StopFunction = std::function<bool()>;

    // `pause` defaults to a plain sleep; `stopRequested` to never.
    explicit CSerialRadioLink(CSerialPort* port, PauseFunction pause = {}, StopFunction stopRequested = {});

    void WriteLine(std::string_view text) override;
    void Write(std::string_view bytes) override;
    std::string Read(std::size_t maximum) override;
    void Purge() override;
    void Pause(int milliseconds) override;
    Clock::time_point Now() const override { return Clock::now(); }
    bool StopRequested() const override { return m_stop && m_stop(); }

private:
    CSerialPort* m_port;
    PauseFunction m_pause;
    StopFunction m_stop;
};

// A plain sleep of the calling thread.
void SleepMs(int milliseconds);
