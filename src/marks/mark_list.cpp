#include "marks/mark_list.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

#include "marks/text_number.h"

namespace {
// A latitude as an ordering key; NaN would break the order.
double LatitudeKey(const CMark& mark)
{
    const double v = TextToDouble(mark.GetLatitude());
    return std::isnan(v) ? 0.0 : v;
}
}  // namespace

CMarkList::Key::Key(std::string_view la, std::string_view lo, std::string_view al) : lat(la), lon(lo), alt(al)
{
    std::hash<std::string_view> h;
    std::size_t seed = h(lat);
    seed ^= h(lon) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    seed ^= h(alt) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    hash = seed;
}

bool CMarkList::AddMark(const std::string& latitude, const std::string& longitude, const std::string& altitude)
{
    return InsertMark(m_Marks.size(), latitude, longitude, altitude);
}

bool CMarkList::InsertMark(std::size_t row, const std::string& latitude, const std::string& longitude,
                           const std::string& altitude)
{
    Key key(latitude, longitude, altitude);
    if (m_Index.find(key) != m_Index.end())
        return false;
    row = std::min(row, m_Marks.size());
    // Appending, the common case, needs no walk.
    const Node at = row == m_Marks.size() ? m_Marks.end() : std::next(m_Marks.begin(), static_cast<std::ptrdiff_t>(row));
    auto it = m_Marks.emplace(at, latitude, longitude, altitude);
    // Same texts, same hash: the key now views the node's own copies.
    key.lat = it->GetLatitude();
    key.lon = it->GetLongitude();
    key.alt = it->GetAltitude();
    m_Index.emplace(key, it);
    IndexValue(it);
    Log({SMarkChange::EKind::Inserted, row, *it});
    m_Modified = true;
    return true;
}

bool CMarkList::ReceiveMark(const std::string& latitude, const std::string& longitude, const std::string& altitude)
{
    Node node = m_Marks.end();
    if (auto found = m_Index.find(Key{latitude, longitude, altitude}); found != m_Index.end()) {
        node = found->second;
    } else if (const CMark* same = FindSameValue(CMark(latitude, longitude, altitude))) {
        for (auto [at, last] = m_ByLatitude.equal_range(LatitudeKey(*same)); at != last; ++at)
            if (&*at->second == same)
                node = at->second;
    }
    if (node == m_Marks.end())
        return AddMark(latitude, longitude, altitude);
    // Moved, so the list ends in the base's order.
    if (std::next(node) != m_Marks.end()) {
        Log({SMarkChange::EKind::Moved, RowOf(node), {}});
        if (m_Cursor == node)
            ++m_Cursor;
        m_Marks.splice(m_Marks.end(), m_Marks, node);
    }
    m_Modified = true;
    return false;
}

const CMark* CMarkList::FindSameValue(const CMark& mark) const
{
    const double lat = LatitudeKey(mark);
    const auto last = m_ByLatitude.upper_bound(lat + CMark::SameDegrees);
    for (auto at = m_ByLatitude.lower_bound(lat - CMark::SameDegrees); at != last; ++at)
        if (at->second->SameValue(mark))
            return &*at->second;
    return nullptr;
}

void CMarkList::IndexValue(Node node)
{
    m_ByLatitude.emplace(LatitudeKey(*node), node);
}

void CMarkList::UnindexValue(Node node)
{
    for (auto [at, last] = m_ByLatitude.equal_range(LatitudeKey(*node)); at != last; ++at)
        if (at->second == node) {
            m_ByLatitude.erase(at);
            return;
        }
}

std::size_t CMarkList::RowOf(Node node) const
{
    // A walk: rows move or go one at a time, and mostly near the front (the base sends in list order).
    std::size_t row = 0;
    for (auto it = m_Marks.begin(); it != node; ++it)
        ++row;
    return row;
}

void CMarkList::Log(SMarkChange change)
{
    if (!m_Changes.empty() && m_Changes.back().Kind == SMarkChange::EKind::Reset)
        return;
    if (m_Changes.size() > m_Marks.size() + 1024) {
        m_Changes.clear();
        m_Changes.push_back({SMarkChange::EKind::Reset, 0, {}});
        return;
    }
    m_Changes.push_back(std::move(change));
}

std::vector<SMarkChange> CMarkList::TakeChanges()
{
    std::vector<SMarkChange> out;
    out.swap(m_Changes);
    return out;
}

bool CMarkList::Contains(std::string_view latitude, std::string_view longitude, std::string_view altitude) const
{
    return m_Index.find(Key{latitude, longitude, altitude}) != m_Index.end();
}

bool CMarkList::RemoveMark(std::string_view latitude, std::string_view longitude, std::string_view altitude)
{
    auto found = m_Index.find(Key{latitude, longitude, altitude});
    if (found == m_Index.end())
        return false;
    auto node = found->second;
    Log({SMarkChange::EKind::Removed, RowOf(node), {}});
    UnindexValue(node);
    // The key views the node's texts: drop it before the node.
    m_Index.erase(found);
    if (m_Cursor == node)
        ++m_Cursor;
    m_Marks.erase(node);
    m_Modified = true;
    return true;
}

bool CMarkList::ContainsNear(const CMark& mark) const
{
    for (const CMark& m : m_Marks)
        if (m.IsNear(mark))
            return true;
    return false;
}

void CMarkList::RemoveAll()
{
    if (m_Marks.empty())
        return;
    m_Index.clear();
    m_ByLatitude.clear();
    m_Marks.clear();
    m_Changes.clear();
    Log({SMarkChange::EKind::Reset, 0, {}});
    m_Cursor = m_Marks.end();
    m_Modified = true;
}

bool CMarkList::GetFirst(const CMark*& mark)
{
    m_Cursor = m_Marks.begin();
    return GetNext(mark);
}

bool CMarkList::GetNext(const CMark*& mark)
{
    if (m_Cursor == m_Marks.end())
        return false;
    mark = &*m_Cursor;
    ++m_Cursor;
    return true;
}

bool CMarkList::GetFirstCopy(CMark& mark)
{
    const CMark* m = nullptr;
    if (!GetFirst(m))
        return false;
    mark = *m;
    return true;
}

bool CMarkList::GetNextCopy(CMark& mark)
{
    const CMark* m = nullptr;
    if (!GetNext(m))
        return false;
    mark = *m;
    return true;
}
