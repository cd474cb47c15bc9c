#include "marks/mark_edits.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "marks/base_texts.h"
#include "marks/mark_list.h"
#include "ui/string_table.h"

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

SWriteLoss FindWriteLoss(const std::vector<CMark>& stored, const CMarkList& writing, const CMark* inUse)
{
    SWriteLoss loss;
    loss.Writing = writing.Size();
    loss.Stored = stored.size();
    // Each mark to be written keeps at most one stored mark of its value.
    std::vector<bool> kept(stored.size(), false);
    for (const CMark& mark : writing)
        for (std::size_t i = 0; i < stored.size(); ++i)
            if (!kept[i] && stored[i].SameValue(mark)) {
                kept[i] = true;
                break;
            }
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (kept[i])
            continue;
        ++loss.Deleted;
        if (inUse && stored[i].IsNear(*inUse))
            loss.InUseDeleted = true;
    }
    return loss;
}

std::string WriteLossQuestion(const CBaseTexts& texts, const SWriteLoss& loss)
{
    if (loss.Deleted == 0)
        return {};
    std::string first = texts.Text(loss.Writing == 1 ? StringIds::WriteOneMarkQuestion : StringIds::WriteMarksQuestion);
    ReplaceAll(first, "%1", std::to_string(loss.Writing));
    int id = 0;
    if (loss.Deleted < loss.Stored)
        id = loss.InUseDeleted ? StringIds::DeletesSomeMarksInUse : StringIds::DeletesSomeMarks;
    else if (loss.Stored == 1)
        id = loss.InUseDeleted ? StringIds::DeletesOnlyMarkInUse : StringIds::DeletesOnlyMark;
    else
        id = loss.InUseDeleted ? StringIds::DeletesAllMarksInUse : StringIds::DeletesAllMarks;
    std::string second = texts.Text(id);
    if (loss.Deleted < loss.Stored) {
        ReplaceAll(second, "%1", std::to_string(loss.Deleted));
        ReplaceAll(second, "%2", std::to_string(loss.Stored));
    } else {
        ReplaceAll(second, "%1", std::to_string(loss.Stored));
    }
    return first + " " + second;
}

std::size_t CMarkDeleteUndo::Delete(CMarkList& list, const std::vector<CMark>& marks)
{
    // Rows as they stood before this delete, so that Undo, inserting in ascending order, lands each
    // mark where it was.
    std::set<std::tuple<std::string, std::string, std::string>> chosen;
    for (const CMark& mark : marks)
        chosen.emplace(mark.GetLatitude(), mark.GetLongitude(), mark.GetAltitude());
    std::vector<std::pair<std::size_t, CMark>> group;
    std::size_t row = 0;
    for (const CMark& mark : list) {
        if (chosen.count({mark.GetLatitude(), mark.GetLongitude(), mark.GetAltitude()}))
            group.emplace_back(row, mark);
        ++row;
    }
    for (const auto& [at, mark] : group)
        list.RemoveMark(mark.GetLatitude(), mark.GetLongitude(), mark.GetAltitude());
    const std::size_t removed = group.size();
    if (removed > 0)
        m_Groups.push_back(std::move(group));
    return removed;
}

std::vector<std::size_t> CMarkDeleteUndo::Undo(CMarkList& list)
{
    std::vector<std::size_t> rows;
    if (m_Groups.empty())
        return rows;
    for (const auto& [at, mark] : m_Groups.back()) {
        // A mark typed in again since stays where it is now.
        if (list.InsertMark(at, mark.GetLatitude(), mark.GetLongitude(), mark.GetAltitude()))
            rows.push_back(std::min(at, list.Size() - 1));
    }
    m_Groups.pop_back();
    return rows;
}
