#include "ui/language_library.h"

#include "ui/utf8_path.h"

#include <filesystem>
#include <fstream>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Decimal id in 0..65535, or -1.
int ParseId(std::string_view s)
{
    if (s.empty() || s.size() > 5)
        return -1;
    int value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 0xFFFF ? value : -1;
}

std::string Unescape(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char next = s[i + 1];
            if (next == 'n' || next == 't' || next == '\\') {
                out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

}  // namespace

std::string CutUtf8(std::string text, std::size_t maxChars)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80)
            continue;  // continuation byte of the current character
        if (chars == maxChars) {
            text.resize(i);
            break;
        }
        ++chars;
    }
    return text;
}

CLanguageLibrary CLanguageLibrary::FromText(std::string_view content)
{
    CLanguageLibrary lib;
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (content.substr(0, bom.size()) == bom)
        content.remove_prefix(bom.size());
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lib.ParseLine(line);
    }
    return lib;
}

void CLanguageLibrary::ParseLine(std::string_view line)
{
    if (Trim(line).empty() || line.front() == '#')
        return;
    const std::size_t eq = line.find('=');
    const int id = eq == std::string_view::npos ? -1 : ParseId(Trim(line.substr(0, eq)));
    if (id < 0) {
        ++m_MalformedLines;
        return;
    }
    m_Texts[id] = CutUtf8(Unescape(line.substr(eq + 1)), MaxTextLength);
}

std::unique_ptr<CLanguageLibrary> CLanguageLibrary::LoadFile(const std::string& path)
{
    const std::filesystem::path file = PathFromUtf8(path);
    std::error_code ec;
    // A directory or device of that name is not a language file; reading it would fail or block.
    if (!std::filesystem::is_regular_file(file, ec))
        return nullptr;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size > MaxFileBytes)
        return nullptr;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return nullptr;
    // One byte more than allowed tells a file that grew since it was measured.
    std::string content(MaxFileBytes + 1, '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    if (in.bad())
        return nullptr;
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > MaxFileBytes)
        return nullptr;
    content.resize(got);
    return std::make_unique<CLanguageLibrary>(FromText(content));
}

std::string CLanguageLibrary::Text(int id) const
{
    const auto it = m_Texts.find(id);
    return it == m_Texts.end() ? std::string() : it->second;
}
