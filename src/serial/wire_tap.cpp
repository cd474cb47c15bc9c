#include "serial/wire_tap.h"

#include <algorithm>

void CWireTap::Event(std::string_view text)
{
    if (m_Watched.load(std::memory_order_acquire))
        Notify(EWireDirection::Event, text, Clock::now());
}

void CWireTap::Add(IWireObserver* observer)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (std::find(m_Observers.begin(), m_Observers.end(), observer) == m_Observers.end())
        m_Observers.push_back(observer);
    m_Watched.store(true, std::memory_order_release);
}

void CWireTap::Remove(IWireObserver* observer)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    std::erase(m_Observers, observer);
    m_Watched.store(!m_Observers.empty(), std::memory_order_release);
}

void CWireTap::Notify(EWireDirection direction, std::string_view bytes, Clock::time_point at)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    for (IWireObserver* observer : m_Observers)
        observer->OnWire(direction, bytes, at);
}

void CWireLog::OnWire(EWireDirection direction, std::string_view bytes, std::chrono::steady_clock::time_point at)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (direction == EWireDirection::Event && bytes.starts_with("port opened")) {
        m_Base = at;
        m_HasBase = true;
    }
    if (!m_HasBase) {
        m_Base = at;
        m_HasBase = true;
    }
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(at - m_Base).count();
    if (direction != EWireDirection::Received) {
        m_Open = false;
        m_AfterCr = false;
        Append({ms, direction, std::string(bytes.substr(0, MaxRowBytes))});
        m_LastAt = at;
        return;
    }
    if (m_Open && at - m_LastAt > std::chrono::milliseconds(OpenRowMs))
        m_Open = false;
    m_LastAt = at;
    while (!bytes.empty()) {
        // A CR that ended the last read ends its row unless the LF of a CR LF follows.
        if (m_Open && m_AfterCr && bytes.front() != '\n')
            m_Open = false;
        if (!m_Open) {
            Append({ms, EWireDirection::Received, {}});
            m_Open = true;
        }
        m_AfterCr = false;
        SWireRow& row = m_Rows.back();
        const std::size_t room = MaxRowBytes - row.bytes.size();
        std::size_t take = std::min(room, bytes.size());
        const std::size_t end = bytes.substr(0, take).find_first_of("\r\n");
        bool ended = false;
        if (end != std::string_view::npos) {
            if (bytes[end] == '\n' || (end + 1 < bytes.size() && bytes[end + 1] != '\n')) {
                take = end + 1;
                ended = true;
            } else if (end + 1 < bytes.size()) {
                take = std::min(take, end + 2); // CR LF
                ended = take == end + 2;
            } else {
                take = end + 1;
                m_AfterCr = true;
            }
        }
        row.bytes.append(bytes.substr(0, take));
        m_Bytes += take;
        bytes.remove_prefix(take);
        if (ended || row.bytes.size() >= MaxRowBytes)
            m_Open = false;
    }
    DropOld();
}

void CWireLog::Append(SWireRow row)
{
    m_Bytes += row.bytes.size();
    m_Rows.push_back(std::move(row));
    DropOld();
}

void CWireLog::DropOld()
{
    // Always keep the last row: the received run may still be growing in it.
    while (m_Rows.size() > 1 && (m_Rows.size() > MaxRows || m_Bytes > MaxBytes)) {
        m_Bytes -= m_Rows.front().bytes.size();
        m_Rows.pop_front();
        ++m_First;
        ++m_Dropped;
    }
}

CWireLog::SSnapshot CWireLog::Since(unsigned long long from) const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    SSnapshot snapshot;
    snapshot.first = std::max(from, m_First);
    snapshot.dropped = m_Dropped;
    snapshot.generation = m_Generation;
    const unsigned long long end = m_First + m_Rows.size();
    if (snapshot.first < end)
        snapshot.rows.assign(m_Rows.begin() + static_cast<std::ptrdiff_t>(snapshot.first - m_First), m_Rows.end());
    return snapshot;
}

std::size_t CWireLog::Size() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Rows.size();
}

unsigned long long CWireLog::Dropped() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Dropped;
}

void CWireLog::Clear()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    m_Rows.clear();
    m_First = 0;
    m_Dropped = 0;
    m_Bytes = 0;
    m_Open = false;
    m_AfterCr = false;
    ++m_Generation;
}

bool CWireRecorder::Start(const std::string& path)
{
    m_Start.store(std::chrono::steady_clock::now().time_since_epoch().count());
    if (!m_Writer.Open(path))
        return false;
    m_Writer.Event(0, "recording started");
    return !m_Writer.Failed();
}

void CWireRecorder::Stop()
{
    if (m_Writer.IsOpen()) {
        m_Writer.Event(std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch() -
                           std::chrono::steady_clock::duration(m_Start.load())).count(),
                       "recording stopped");
    }
    m_Writer.Close();
}

void CWireRecorder::OnWire(EWireDirection direction, std::string_view bytes, std::chrono::steady_clock::time_point at)
{
    const long long ms = std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
        at.time_since_epoch() - std::chrono::steady_clock::duration(m_Start.load())).count());
    switch (direction) {
    case EWireDirection::Sent: m_Writer.Bytes('R', ms, bytes); break;
    case EWireDirection::Received: m_Writer.Bytes('S', ms, bytes); break;
    case EWireDirection::Event: m_Writer.Event(ms, bytes); break;
    }
}

std::string WireBytesText(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r') out += "\u240D";
        else if (c == '\n') out += "\u240A";
        else if (c >= 0x20 && c <= 0x7E) out += ch;
        else {
            out += "\u27E8";
            out += digits[c >> 4];
            out += digits[c & 15];
            out += "\u27E9";
        }
    }
    return out;
}

std::string WireBytesHex(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string WireRowTime(long long ms)
{
    std::string frac = std::to_string(ms % 1000);
    return std::to_string(ms / 1000) + "." + std::string(3 - frac.size(), '0') + frac;
}

const char* WireRowDirection(EWireDirection direction)
{
    switch (direction) {
    case EWireDirection::Sent: return "TX";
    case EWireDirection::Received: return "RX";
    case EWireDirection::Event: break;
    }
    return "--";
}

std::string WireRowLine(const SWireRow& row, bool hex)
{
    const std::string text = row.direction == EWireDirection::Event ? row.bytes
                             : hex ? WireBytesHex(row.bytes) : WireBytesText(row.bytes);
    return WireRowTime(row.ms) + " " + WireRowDirection(row.direction) + " " + text;
}
