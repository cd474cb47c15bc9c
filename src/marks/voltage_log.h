#pragma once

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

// Logs the base's battery voltage to a CSV file: a header, then one line per minute of logging with
// the local time, the minute number and the average of the voltage samples taken since the last line.
//
// The counters outlive a log: a second log in the same run continues the minute numbering, and its
// first average includes the samples taken while logging was off. The base configuration dialog uses
// Process(), the one instance that lives for the whole run; tests make their own.
class CVoltageLog {
public:
    using MonotonicClock = std::function<std::chrono::steady_clock::time_point()>;
    using LocalClock = std::function<std::tm()>;

    static constexpr const char* Header = "Time stamp,Minutes,Volts\n";
    static constexpr std::chrono::seconds LinePeriod{60};
    // Readings at or below this (a base that has not answered gives 0) are no samples.
    static constexpr double MinimumVoltage = 5.0;

    CVoltageLog();
    ~CVoltageLog();
    CVoltageLog(const CVoltageLog&) = delete;
    CVoltageLog& operator=(const CVoltageLog&) = delete;

    static CVoltageLog& Process();

    // Clocks for pacing and for the time stamps; the defaults are the steady clock and local time.
    void SetClocks(MonotonicClock monotonic, LocalClock local);

    // Creates (or truncates) the file and writes the header. On failure logging stays off and
    // LastError() says why.
    bool Start(const std::filesystem::path& path);
    void Stop();
    bool IsActive() const { return m_Active; }
    const std::string& LastError() const { return m_LastError; }

    // One voltage reading, taken at every status request whether or not logging is on.
    void AddSample(double volts);
    // Called at every timer tick; writes a line once a full minute of logging has passed since the
    // last one. After a longer gap one line covers it, numbered with the real elapsed minute.
    // False when a line could not be written: logging is then off and LastError() says why.
    bool Tick();

    // "12/7/2026 14:05:09,3,12.480000\n"; without samples the Volts field is empty.
    static std::string FormatLine(const std::tm& time, int minute, double voltageSum, int samples);

    int GetLineCounter() const { return m_LineCounter; }
    void SetLineCounter(int v) { m_LineCounter = v; }
    double GetVoltageSum() const { return m_VoltageSum; }
    int GetVoltageSamples() const { return m_VoltageSamples; }

private:
    bool WriteLine();
    void AdvanceLineCounter();

    MonotonicClock m_Monotonic;
    LocalClock m_Local;
    std::ofstream m_File;
    std::filesystem::path m_Path;
    bool m_Active = false;
    std::string m_LastError;

    // Logging time not yet accounted for by a line; only time while logging counts.
    std::chrono::steady_clock::duration m_Pending{};
    std::chrono::steady_clock::time_point m_LastTick{};
    int m_LineCounter = 1;
    double m_VoltageSum = 0.0;
    int m_VoltageSamples = 0;
};
