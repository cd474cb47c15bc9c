#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>

// One loaded language file: a string table of translated texts by id.
//
// File format (UTF-8): one "ID=text" per line. The id is decimal (0..65535), blanks around it are
// allowed; the text starts right after the first "=" and runs to the end of the line. A line whose
// first character is "#" is a comment, blank lines are ignored, any other line without a valid
// "ID=" is skipped. Escapes in the text: \n, \t and \\ (any other backslash stays as written).
// CR LF line ends and a leading byte-order mark are accepted. A text longer than MaxTextLength
// characters is cut. When an id appears twice, the later line wins.
class CLanguageLibrary {
public:
    static constexpr std::size_t MaxTextLength = 1023;  // characters, as the text buffer holds 1024

    static constexpr std::size_t MaxFileBytes = 1024 * 1024;  // the shipped files are about 20 KB

    static CLanguageLibrary FromText(std::string_view content);
    // nullptr when the path is not a regular file, holds more than MaxFileBytes or cannot be read.
    // The file is read once, into one buffer of at most MaxFileBytes + 1 bytes.
    static std::unique_ptr<CLanguageLibrary> LoadFile(const std::string& path);

    // The text for an id, empty when the file lacks it.
    std::string Text(int id) const;
    bool Has(int id) const { return m_Texts.count(id) != 0; }
    std::size_t Size() const { return m_Texts.size(); }
    // Lines that were neither blank, comments nor valid entries.
    int MalformedLines() const { return m_MalformedLines; }

private:
    void ParseLine(std::string_view line);

    std::map<int, std::string> m_Texts;
    int m_MalformedLines = 0;
};

// Cuts a UTF-8 text after maxChars characters (code points); never splits a multi-byte sequence.
std::string CutUtf8(std::string text, std::size_t maxChars);
