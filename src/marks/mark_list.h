#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "marks/mark.h"

// The ordered, owning list of marks, without two marks of identical texts. Lookups by the three
// texts go through a hash index, so adding, finding and removing cost the same for any list size.
//
// One cursor is shared by all users (GetFirst/GetNext); the mark writer keeps a walk open across
// many ticks, and nothing else walks the list meanwhile. Code that only reads the whole list can use
// begin()/end(), which leave the cursor alone.
class CMarkList {
public:
    using const_iterator = std::list<CMark>::const_iterator;

    CMarkList() = default;
    virtual ~CMarkList() = default;
    CMarkList(const CMarkList&) = delete;
    CMarkList& operator=(const CMarkList&) = delete;

    // Appends a mark unless one with the same three texts is present (then nothing changes, not even
    // Modified). Returns true when the mark was added.
    bool AddMark(const std::string& latitude, const std::string& longitude, const std::string& altitude);
    bool Contains(std::string_view latitude, std::string_view longitude, std::string_view altitude) const;
    // Removes the mark with these three texts; Modified is set only when there was one.
    bool RemoveMark(std::string_view latitude, std::string_view longitude, std::string_view altitude);
    // True when some mark IsNear the given one (a scan: called once per reference-position reply).
    bool ContainsNear(const CMark& mark) const;
    // Empties the list; Modified is set only when it held something.
    void RemoveAll();

    bool IsEmpty() const { return m_Marks.empty(); }
    std::size_t Size() const { return m_Marks.size(); }

    // The shared walk. The mark handed out stays owned by the list and valid until it is removed.
    bool GetFirst(const CMark*& mark);
    bool GetNext(const CMark*& mark);
    bool GetFirstCopy(CMark& mark);
    bool GetNextCopy(CMark& mark);

    // Set when the list changed since the dialog last drew it; also set by others to force a redraw.
    bool GetModified() const { return m_Modified; }
    void SetModified(bool modified) { m_Modified = modified; }

    const_iterator begin() const { return m_Marks.begin(); }
    const_iterator end() const { return m_Marks.end(); }

private:
    // The hash is computed once per lookup and travels with the key into the index.
    struct Key {
        Key(std::string_view la, std::string_view lo, std::string_view al);
        std::string_view lat, lon, alt;
        std::size_t hash;
        bool operator==(const Key& o) const { return lat == o.lat && lon == o.lon && alt == o.alt; }
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept { return k.hash; }
    };

    std::list<CMark> m_Marks;
    // Keys view the texts inside the list's nodes, which never move.
    std::unordered_map<Key, std::list<CMark>::iterator, KeyHash> m_Index;
    std::list<CMark>::iterator m_Cursor = m_Marks.end();
    bool m_Modified = false;
};
