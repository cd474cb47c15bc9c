#include "marks/archive.h"

#include <bit>
#include <cstring>

static_assert(sizeof(double) == 8, "mark files hold 8-byte doubles");

void CArchiveWriter::WriteU16(std::uint16_t v)
{
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    m_Bytes.append(b, 2);
}

void CArchiveWriter::WriteU32(std::uint32_t v)
{
    const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    m_Bytes.append(b, 4);
}

void CArchiveWriter::WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }

void CArchiveWriter::WriteDouble(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    WriteU32(static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
    WriteU32(static_cast<std::uint32_t>(bits >> 32));
}

void CArchiveWriter::WriteText(std::string_view text)
{
    const std::size_t n = text.size();
    if (n < 0xFF) {
        m_Bytes.push_back(static_cast<char>(n));
    } else if (n < 0xFFFE) {
        m_Bytes.push_back(static_cast<char>(0xFF));
        WriteU16(static_cast<std::uint16_t>(n));
    } else {
        // 0xFFFE marks a wide text; 0xFFFF announces a 32-bit length.
        m_Bytes.push_back(static_cast<char>(0xFF));
        WriteU16(0xFFFF);
        WriteU32(static_cast<std::uint32_t>(n));
    }
    m_Bytes.append(text);
}

bool CArchiveReader::ReadU8(std::uint8_t& v)
{
    if (m_Error != EError::None)
        return false;
    if (Remaining() < 1)
        return Fail(EError::PastEnd);
    v = static_cast<std::uint8_t>(m_Bytes[m_Pos++]);
    return true;
}

bool CArchiveReader::ReadU16(std::uint16_t& v)
{
    if (m_Error != EError::None)
        return false;
    if (Remaining() < 2)
        return Fail(EError::PastEnd);
    const auto* p = reinterpret_cast<const unsigned char*>(m_Bytes.data() + m_Pos);
    v = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    m_Pos += 2;
    return true;
}

bool CArchiveReader::ReadU32(std::uint32_t& v)
{
    if (m_Error != EError::None)
        return false;
    if (Remaining() < 4)
        return Fail(EError::PastEnd);
    const auto* p = reinterpret_cast<const unsigned char*>(m_Bytes.data() + m_Pos);
    v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    m_Pos += 4;
    return true;
}

bool CArchiveReader::ReadI32(std::int32_t& v)
{
    std::uint32_t u = 0;
    if (!ReadU32(u))
        return false;
    v = static_cast<std::int32_t>(u);
    return true;
}

bool CArchiveReader::ReadDouble(double& v)
{
    std::uint32_t lo = 0, hi = 0;
    if (Remaining() < 8 && m_Error == EError::None)
        return Fail(EError::PastEnd);
    if (!ReadU32(lo) || !ReadU32(hi))
        return false;
    v = std::bit_cast<double>((static_cast<std::uint64_t>(hi) << 32) | lo);
    return true;
}

bool CArchiveReader::ReadLength(std::uint32_t& length, bool& wide)
{
    wide = false;
    std::uint8_t b = 0;
    if (!ReadU8(b))
        return false;
    if (b < 0xFF) {
        length = b;
        return true;
    }
    std::uint16_t w = 0;
    if (!ReadU16(w))
        return false;
    if (w == 0xFFFE) {
        // Wide text: its own length prefix follows, counting 16-bit characters.
        wide = true;
        if (!ReadU8(b))
            return false;
        if (b < 0xFF) {
            length = b;
            return true;
        }
        if (!ReadU16(w))
            return false;
    }
    if (w < 0xFFFF) {
        length = w;
        return true;
    }
    return ReadU32(length);
}

bool CArchiveReader::ReadText(std::string& text)
{
    std::uint32_t length = 0;
    bool wide = false;
    if (!ReadLength(length, wide))
        return false;
    const std::uint64_t bytes = wide ? 2ull * length : length;
    if (bytes > Remaining())
        return Fail(EError::PastEnd);
    const char* p = m_Bytes.data() + m_Pos;
    m_Pos += static_cast<std::size_t>(bytes);
    if (!wide) {
        text.assign(p, length);
        return true;
    }
    // The program's texts are single-byte; a wide character keeps its low byte when it has one.
    text.clear();
    text.reserve(length);
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    for (std::uint32_t i = 0; i < length; ++i) {
        const unsigned c = u[2 * i] | (u[2 * i + 1] << 8);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length) {
            const unsigned d = u[2 * i + 2] | (u[2 * i + 3] << 8);
            if (d >= 0xDC00 && d <= 0xDFFF)
                ++i;  // one character outside the code page, one '?'
            text.push_back('?');
        } else {
            text.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
        }
    }
    return true;
}
