#include "serial/session_log.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "ui/utf8_path.h"

std::string EscapeSessionBytes(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') out += "\\\\";
        else if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c > 0x7E) {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else out += ch;
    }
    return out;
}

namespace {

int Hex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string UnescapeSessionBytes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r') out += '\r';
        else if (c == 'n') out += '\n';
        else if (c == 't') out += '\t';
        else if (c == 'x' && i + 2 < text.size() && Hex(text[i + 1]) >= 0 && Hex(text[i + 2]) >= 0) {
            out += static_cast<char>(Hex(text[i + 1]) * 16 + Hex(text[i + 2]));
            i += 2;
        } else out += c;
    }
    return out;
}

bool ParseSessionLine(std::string_view line, SSessionLine& out)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() < 3 || (line[0] != 'R' && line[0] != 'S' && line[0] != '#') || line[1] != ' ')
        return false;
    const char* first = line.data() + 2;
    const char* last = line.data() + line.size();
    long long ms = -1;
    const auto [end, ec] = std::from_chars(first, last, ms);
    if (ec != std::errc() || end == first || ms < 0)
        return false;
    std::string_view rest;
    if (end != last) {
        if (*end != ' ')
            return false;
        rest = std::string_view(end + 1, static_cast<std::size_t>(last - end - 1));
    }
    if (line[0] != '#' && rest.empty())
        return false; // a burst has at least one byte
    out.kind = line[0];
    out.ms = ms;
    out.bytes = line[0] == '#' ? std::string(rest) : UnescapeSessionBytes(rest);
    return true;
}

std::string FormatSessionLine(const SSessionLine& line)
{
    std::string text(1, line.kind);
    text += ' ';
    text += std::to_string(line.ms);
    text += ' ';
    text += line.kind == '#' ? line.bytes : EscapeSessionBytes(line.bytes);
    return text;
}

bool ParseSessionLog(std::string_view text, std::vector<SSessionLine>& lines, std::string& error)
{
    lines.clear();
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line == "\r")
            continue;
        SSessionLine parsed;
        if (!ParseSessionLine(line, parsed)) {
            error = "line " + std::to_string(number) + " is not a session log line";
            lines.clear();
            return false;
        }
        lines.push_back(std::move(parsed));
    }
    return true;
}

bool ReadSessionLog(const std::string& path, std::vector<SSessionLine>& lines, std::string& error)
{
    lines.clear();
    const std::filesystem::path file = PathFromUtf8(path);
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = path + ": no such file";
        return false;
    }
    // Checked before opening: opening a FIFO would wait for a writer, and a device never ends.
    if (!std::filesystem::is_regular_file(status)) {
        error = path + ": not a regular file";
        return false;
    }
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size > static_cast<std::uintmax_t>(MaxSessionLogBytes)) {
        error = path + ": larger than " + std::to_string(MaxSessionLogBytes / (1024 * 1024)) + " MiB";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        error = path + ": cannot be read";
        return false;
    }
    if (!ParseSessionLog(text, lines, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

CSessionLogWriter::~CSessionLogWriter()
{
    Close();
}

bool CSessionLogWriter::Open(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (m_File.is_open())
        m_File.close();
    m_File.clear();
    m_Failed = false;
    m_File.open(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
    if (!m_File) {
        m_File.close();
        m_File.clear();
        return false;
    }
    return true;
}

void CSessionLogWriter::Close()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (m_File.is_open())
        m_File.close();
}

bool CSessionLogWriter::IsOpen() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_File.is_open();
}

bool CSessionLogWriter::Failed() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Failed;
}

void CSessionLogWriter::Bytes(char kind, long long ms, std::string_view bytes)
{
    if (bytes.empty())
        return;
    Put(FormatSessionLine({kind, ms, std::string(bytes)}));
}

void CSessionLogWriter::Event(long long ms, std::string_view text)
{
    Put(FormatSessionLine({'#', ms, std::string(text)}));
}

void CSessionLogWriter::Put(const std::string& line)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (!m_File.is_open() || m_Failed)
        return;
    m_File << line << '\n';
    m_File.flush();
    if (!m_File) {
        m_Failed = true;
        m_File.close();
    }
}
