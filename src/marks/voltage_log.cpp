#include "marks/voltage_log.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "marks/text_number.h"
#include "ui/utf8_path.h"

CVoltageLog::CVoltageLog()
    : m_Monotonic([] { return std::chrono::steady_clock::now(); }),
      m_Local([] {
          const std::time_t now = std::time(nullptr);
          std::tm tm{};
#ifdef _WIN32
          localtime_s(&tm, &now);
#else
          localtime_r(&now, &tm);
#endif
          return tm;
      })
{
}

CVoltageLog::~CVoltageLog() { Stop(); }

CVoltageLog& CVoltageLog::Process()
{
    static CVoltageLog log;
    return log;
}

void CVoltageLog::SetClocks(MonotonicClock monotonic, LocalClock local)
{
    if (monotonic)
        m_Monotonic = std::move(monotonic);
    if (local)
        m_Local = std::move(local);
}

bool CVoltageLog::Start(const std::filesystem::path& path)
{
    Stop();
    m_LastError.clear();
    m_File.open(path, std::ios::binary | std::ios::trunc);
    if (!m_File) {
        const int err = errno;
        m_File.close();
        m_File.clear();
        m_LastError = "Cannot create " + PathToUtf8(path) + ": " + std::generic_category().message(err) + ".";
        return false;
    }
    m_File << Header;
    m_File.flush();
    if (!m_File) {
        m_File.close();
        m_File.clear();
        m_LastError = "Cannot write " + PathToUtf8(path) + ".";
        return false;
    }
    m_Path = path;
    m_Active = true;
    m_LastTick = m_Monotonic();
    return true;
}

void CVoltageLog::Stop()
{
    if (m_File.is_open())
        m_File.close();
    m_File.clear();
    m_Active = false;
}

void CVoltageLog::AddSample(double volts)
{
    if (volts > MinimumVoltage) {
        m_VoltageSum += volts;
        ++m_VoltageSamples;
    }
}

bool CVoltageLog::Tick()
{
    if (!m_Active)
        return true;
    const auto now = m_Monotonic();
    if (now > m_LastTick)
        m_Pending += now - m_LastTick;
    m_LastTick = now;
    if (m_Pending < LinePeriod)
        return true;
    // After a stall (the timer stopped for a write run, a busy machine) one line stands for the
    // whole gap and carries the real elapsed minute, rather than a burst of lines with one stamp.
    const auto minutes = m_Pending / LinePeriod;
    m_Pending -= minutes * LinePeriod;
    for (auto skipped = minutes; skipped > 1; --skipped)
        AdvanceLineCounter();
    return WriteLine();
}

bool CVoltageLog::WriteLine()
{
    m_File << FormatLine(m_Local(), m_LineCounter, m_VoltageSum, m_VoltageSamples);
    m_File.flush();
    if (!m_File) {
        m_LastError = "Cannot write " + PathToUtf8(m_Path) + ".";
        Stop();
        return false;
    }
    AdvanceLineCounter();
    m_VoltageSum = 0.0;
    m_VoltageSamples = 0;
    return true;
}

void CVoltageLog::AdvanceLineCounter()
{
    // The counter wraps as a 32-bit one, skipping -1.
    const int next = static_cast<int>(static_cast<unsigned>(m_LineCounter) + 1u);
    m_LineCounter = next == -1 ? 0 : next;
}

std::string CVoltageLog::FormatLine(const std::tm& time, int minute, double voltageSum, int samples)
{
    char head[96];
    std::snprintf(head, sizeof head, "%d/%d/%d %d:%02d:%02d,%d,", time.tm_mon + 1, time.tm_mday,
                  time.tm_year + 1900, time.tm_hour, time.tm_min, time.tm_sec, minute);
    std::string line(head);
    if (samples > 0) {
        line += FixedText(voltageSum / samples, 6);
    }
    line += '\n';
    return line;
}
