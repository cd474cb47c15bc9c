#include "marks/mark_list.h"

#include <functional>

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
    Key key(latitude, longitude, altitude);
    if (m_Index.find(key) != m_Index.end())
        return false;
    auto it = m_Marks.emplace(m_Marks.end(), latitude, longitude, altitude);
    // Same texts, same hash: the key now views the node's own copies.
    key.lat = it->GetLatitude();
    key.lon = it->GetLongitude();
    key.alt = it->GetAltitude();
    m_Index.emplace(key, it);
    m_Modified = true;
    return true;
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
    m_Marks.clear();
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
