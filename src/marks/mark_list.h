#pragma once

#include <cstddef>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "marks/mark.h"

// One change of the list's rows, in the order they happened, so a view can follow without redrawing
// everything. Rows count from 0 at the time of the change.
struct SMarkChange {
    enum class EKind {
        Inserted,  // Mark now stands at Row
        Removed,   // the mark at Row went
        Moved,     // the mark at Row went to the end
        Reset,     // anything may have changed: start again from the list
    };
    EKind Kind;
    std::size_t Row = 0;
    CMark Mark;  // Inserted only: a copy, so the view never holds a mark the list may drop
};

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
    // The same at row (at most Size()): an undone delete returns the mark to its place.
    bool InsertMark(std::size_t row, const std::string& latitude, const std::string& longitude,
                    const std::string& altitude);
    bool Contains(std::string_view latitude, std::string_view longitude, std::string_view altitude) const;
    // Removes the mark with these three texts; Modified is set only when there was one.
    bool RemoveMark(std::string_view latitude, std::string_view longitude, std::string_view altitude);
    // A mark the base sent: the mark with these texts, or else one of the same value, moves to the
    // end (keeping its own texts, as typed); otherwise a new mark is appended. Returns true when
    // a mark was added.
    bool ReceiveMark(const std::string& latitude, const std::string& longitude, const std::string& altitude);
    // The first mark of the same value (CMark::SameValue), if any.
    const CMark* FindSameValue(const CMark& mark) const;
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

    // The changes since the last call. A log nobody takes collapses into one Reset, so it never
    // holds much more than the list itself.
    std::vector<SMarkChange> TakeChanges();

private:
    using Node = std::list<CMark>::iterator;
    void Log(SMarkChange change);
    std::size_t RowOf(Node node) const;
    void IndexValue(Node node);
    void UnindexValue(Node node);

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
    // By latitude, for FindSameValue: the candidates lie in a narrow range.
    std::multimap<double, Node> m_ByLatitude;
    std::list<CMark>::iterator m_Cursor = m_Marks.end();
    bool m_Modified = false;
    std::vector<SMarkChange> m_Changes;
};
