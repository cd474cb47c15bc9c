#pragma once

// The session log: one line per burst of bytes on a serial line, the same for the simulator's
// --log and the program's recordings, and the input of `varnel-sim --replay`. Written from the
// device's side of the line:
//
//     R <ms> <escaped bytes>    bytes the device received (what the program sent)
//     S <ms> <escaped bytes>    bytes the device sent (what the program received)
//     # <ms> <text>             an event (port opened, port closed, ...)
//
// <ms> counts milliseconds from the start of the log. Escaping keeps every byte value exact and a
// line unbroken: "\\", "\r", "\n", "\t", "\xHH" (lower-case) for any other byte outside 0x20..0x7E.

#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

std::string EscapeSessionBytes(std::string_view bytes);
std::string UnescapeSessionBytes(std::string_view text);

struct SSessionLine {
    char kind = '#';        // 'R', 'S' or '#'
    long long ms = 0;
    std::string bytes;      // unescaped for R and S; the event's text for '#'
    bool operator==(const SSessionLine&) const = default;
};

// Parses one line (without its line end; a trailing CR is dropped). False when it is not a
// session line: unknown kind, no time, a negative or non-numeric time, or a missing separator.
bool ParseSessionLine(std::string_view line, SSessionLine& out);
std::string FormatSessionLine(const SSessionLine& line);

// Reads a whole log. Only a regular file of at most MaxSessionLogBytes is read (a folder, FIFO or
// device is refused before it is read); blank lines are skipped, any other line that does not parse
// fails the read with its number in error.
inline constexpr long long MaxSessionLogBytes = 64LL * 1024 * 1024;
bool ReadSessionLog(const std::string& path, std::vector<SSessionLine>& lines, std::string& error);
bool ParseSessionLog(std::string_view text, std::vector<SSessionLine>& lines, std::string& error);

// Writes lines to a file as they come, flushed one by one. Thread-safe. After a failed write it
// writes nothing more and Failed() says so.
class CSessionLogWriter
{
public:
    CSessionLogWriter() = default;
    ~CSessionLogWriter();
    CSessionLogWriter(const CSessionLogWriter&) = delete;
    CSessionLogWriter& operator=(const CSessionLogWriter&) = delete;

    // Creates or truncates path; false when it cannot.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const;
    bool Failed() const;
    // Empty bursts are not written.
    void Bytes(char kind, long long ms, std::string_view bytes);
    void Event(long long ms, std::string_view text);

private:
    void Put(const std::string& line);

    mutable std::mutex m_Lock;
    std::ofstream m_File;
    bool m_Failed = false;
};
