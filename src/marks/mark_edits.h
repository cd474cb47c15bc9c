#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "marks/mark.h"

class CMarkList;
class CBaseTexts;

// What a write would remove from the base: its last listed marks that the list to be written lacks,
// by value and counted as multisets (two equal marks on the base need two in the list).
struct SWriteLoss {
    std::size_t Writing = 0;  // marks to be written
    std::size_t Stored = 0;   // marks the base last listed
    std::size_t Deleted = 0;  // of those, the ones the write drops
    bool InUseDeleted = false;  // the base's mark in use is among them
};
// inUse: the base's reference position once reported, else null.
SWriteLoss FindWriteLoss(const std::vector<CMark>& stored, const CMarkList& writing, const CMark* inUse);
// "Write 0 marks to the base? This deletes all 5 marks stored on it, including the one in use."
// Empty when nothing would go.
std::string WriteLossQuestion(const CBaseTexts& texts, const SWriteLoss& loss);

// Delete with undo: each delete records the marks it removed with their rows, and Undo puts the
// latest group back at those rows. Cleared by a write, after which the base holds the new list.
class CMarkDeleteUndo {
public:
    // Removes the marks (each by its texts); returns how many went.
    std::size_t Delete(CMarkList& list, const std::vector<CMark>& marks);
    bool CanUndo() const { return !m_Groups.empty(); }
    // Restores the latest delete; returns the rows the marks came back at (ascending).
    std::vector<std::size_t> Undo(CMarkList& list);
    void Clear() { m_Groups.clear(); }

private:
    std::vector<std::vector<std::pair<std::size_t, CMark>>> m_Groups;
};
