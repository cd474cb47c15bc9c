#pragma once

// A radio modem as the simulator models it: bytes in at its serial input, reply bytes out.
// Each maker's dialect lives in its own class (sim_microhard, sim_maxstream, sim_satel).

#include <memory>
#include <string>
#include <string_view>

struct SSimRadioSettings {
    int guardMs = 1000;     // silence that must frame "+++" (AT radios)
    bool linkUp = true;     // the radio hears its peer: signal readings and packet counts move
    bool baseRole = true;   // factory configuration to start from: base or rover
    std::string refuse;     // command lines beginning with this (any case) are answered "ERROR"
    int commandIdleMs = 0;  // AT radios leave command mode after this much silence (0: never)
};

// True when the settings make the radio refuse this command line.
bool SimRefuses(const SSimRadioSettings& settings, const std::string& line);

class CSimRadio {
public:
    virtual ~CSimRadio() = default;
    virtual std::string Family() const = 0;
    // Bytes reaching the radio's serial input at nowMs; returns what the radio sends back.
    virtual std::string Receive(std::string_view bytes, long long nowMs) = 0;
    // Time-driven behaviour (the closing guard time of "+++"); returns what the radio sends.
    virtual std::string Tick(long long nowMs) { (void)nowMs; return {}; }
    // The next time Tick has something to do, or -1.
    virtual long long NextEventMs() const { return -1; }
    // True while the radio takes configuration commands.
    virtual bool InCommandMode() const = 0;
};

// Command lines as a radio collects them: ended by CR or LF, empty lines ignored, and cut at the
// length of a radio's small line buffer.
class CSimLineBuffer {
public:
    // Feeds one byte; true when it ends a line, which is then moved into `line`.
    bool Feed(char c, std::string& line);
    void Append(std::size_t count, char c) { m_line.append(count, c); }
    void Clear() { m_line.clear(); }

private:
    static constexpr std::size_t MaxLine = 256;
    std::string m_line;
};

// "microhard", "maxstream" or "satel"; nullptr for anything else.
std::unique_ptr<CSimRadio> MakeSimRadio(const std::string& family, const SSimRadioSettings& settings);

// The part that Microhard and Maxstream share, as AT modems do: data mode until "+++" framed by the
// guard time, then command lines (ended by CR or LF) until the dialect leaves command mode.
class CSimAtModem : public CSimRadio {
public:
    explicit CSimAtModem(const SSimRadioSettings& settings);
    std::string Receive(std::string_view bytes, long long nowMs) override;
    std::string Tick(long long nowMs) override;
    long long NextEventMs() const override;
    bool InCommandMode() const override { return m_commandMode; }

protected:
    virtual std::string EscapeReply() = 0;
    // One command line (without its terminator); the reply bytes.
    virtual std::string Command(const std::string& line, long long nowMs) = 0;
    void LeaveCommandMode() { m_commandMode = false; }
    const SSimRadioSettings& Settings() const { return m_settings; }

private:
    // The program's pauses around "+++" are only roughly the guard time; accept three quarters of it.
    long long LenientGuard() const { return m_settings.guardMs * 3LL / 4; }

    SSimRadioSettings m_settings;
    bool m_commandMode = false;
    int m_plusCount = 0;
    long long m_lastByteMs = -1000000000LL;
    CSimLineBuffer m_lines;
};

std::string SimUpper(std::string text);
