#pragma once

// The binary encoding of mark files: fixed-width little-endian numbers and length-prefixed texts, as
// the original Windows program's archives wrote them, so that files pass between the two.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Appends to a byte string.
class CArchiveWriter {
public:
    void WriteU32(std::uint32_t v);
    void WriteI32(std::int32_t v);
    void WriteDouble(double v);
    // Length prefix (1, 3 or 7 bytes) and the bytes of the text, no terminator.
    void WriteText(std::string_view text);

    const std::string& Bytes() const { return m_Bytes; }
    std::string TakeBytes() { return std::move(m_Bytes); }
    void Reserve(std::size_t n) { m_Bytes.reserve(n); }

private:
    void WriteU16(std::uint16_t v);
    std::string m_Bytes;
};

// Reads from bytes held by the caller. Every read is checked against the end; after the first
// failure every read fails and Error() says what went wrong.
class CArchiveReader {
public:
    enum class EError { None, PastEnd };

    explicit CArchiveReader(std::string_view bytes) : m_Bytes(bytes) {}

    bool ReadU32(std::uint32_t& v);
    bool ReadI32(std::int32_t& v);
    bool ReadDouble(double& v);
    // Accepts the single-byte forms and the wide (UTF-16) form; wide characters above 0xFF become '?'.
    // A length beyond the remaining bytes fails (PastEnd) before anything is allocated.
    bool ReadText(std::string& text);

    std::size_t Remaining() const { return m_Bytes.size() - m_Pos; }
    std::size_t Position() const { return m_Pos; }
    EError Error() const { return m_Error; }

private:
    bool ReadU8(std::uint8_t& v);
    bool ReadU16(std::uint16_t& v);
    bool ReadLength(std::uint32_t& length, bool& wide);
    bool Fail(EError e)
    {
        if (m_Error == EError::None)
            m_Error = e;
        return false;
    }

    std::string_view m_Bytes;
    std::size_t m_Pos = 0;
    EError m_Error = EError::None;
};
