#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "marks/base_texts.h"
#include "marks/mark.h"
#include "marks/mark_edits.h"
#include "marks/mark_list.h"
#include "marks/text_number.h"

TEST(MarksTextNumber, LongestPrefixLocaleFree)
{
    const std::pair<const char*, double> doubles[] = {{"  51.5abc", 51.5},   {"-33.5,", -33.5},    {"1e3x", 1000.0},
                                                      {"", 0.0},             {"+-1", 0.0},         {"1e-999", 0.0},
                                                      {"1e999", HUGE_VAL},   {"-1e999", -HUGE_VAL}};
    for (const auto& [in, out] : doubles)
        EXPECT_EQ(TextToDouble(in), out) << in;
    EXPECT_EQ(TextToInt(" 120,5"), 120);
    EXPECT_EQ(TextToInt("-7x"), -7);
    EXPECT_EQ(TextToInt("x7"), 0);
    EXPECT_EQ(TextToInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(TextToInt("-2147483648"), -2147483647 - 1);
}

TEST(MarksMark, IsNearIsInclusiveAndNumeric)
{
    const CMark base("1.0", "2", "100");
    EXPECT_TRUE(CMark("1.00000005", "2", "100").IsNear(base));
    EXPECT_FALSE(CMark("1.0000002", "2", "100").IsNear(base));
    EXPECT_TRUE(CMark("0.0000001", "0", "0").IsNear(CMark("0", "0", "0")));  // exactly 1e-7
    EXPECT_FALSE(CMark("1.0", "2", "100.001").IsNear(base));                 // every pair counts
    EXPECT_TRUE(CMark("", "abc", "0").IsNear(CMark("0", "0", "  0")));       // no number is 0
}

TEST(MarksList, AddAndRemoveAreByExactTextAndSetModifiedOnlyOnChange)
{
    CMarkList list;
    list.RemoveAll();
    EXPECT_FALSE(list.GetModified());
    EXPECT_TRUE(list.AddMark("10.5", "20.5", "100"));
    EXPECT_TRUE(list.GetModified());
    list.SetModified(false);
    EXPECT_FALSE(list.AddMark("10.5", "20.5", "100"));
    EXPECT_FALSE(list.GetModified());
    EXPECT_TRUE(list.AddMark("10.50", "20.5", "100"));  // same number, other text
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_FALSE(list.Contains("10.5", "20.5", "100.0"));
    EXPECT_TRUE(list.begin()->IsNear(*std::next(list.begin())));
    EXPECT_TRUE(list.ContainsNear(CMark("10.500000001", "20.5", "100")));
    EXPECT_FALSE(list.ContainsNear(CMark("10.6", "20.5", "100")));

    list.RemoveAll();
    list.AddMark("1", "2", "3");
    list.AddMark("4", "5", "6");
    list.SetModified(false);
    EXPECT_FALSE(list.RemoveMark("1", "2", "4"));
    EXPECT_FALSE(list.GetModified());
    EXPECT_TRUE(list.RemoveMark("1", "2", "3"));
    EXPECT_TRUE(list.GetModified());
    EXPECT_TRUE(list.AddMark("1", "2", "3"));  // the index forgot it
    EXPECT_EQ(std::vector<CMark>(list.begin(), list.end()), (std::vector<CMark>{{"4", "5", "6"}, {"1", "2", "3"}}));
    list.SetModified(false);
    list.RemoveAll();
    EXPECT_TRUE(list.GetModified());
    EXPECT_FALSE(list.Contains("4", "5", "6"));
}

TEST(MarksList, SharedCursorWalk)
{
    CMarkList list;
    CMark copy;
    EXPECT_FALSE(list.GetFirstCopy(copy));
    for (const char* lat : {"1", "4", "7"})
        list.AddMark(lat, "0", "0");
    ASSERT_TRUE(list.GetFirstCopy(copy));
    EXPECT_EQ(copy, CMark("1", "0", "0"));
    // Removing the mark under the cursor moves the cursor on instead of leaving it dangling.
    list.RemoveMark("4", "0", "0");
    ASSERT_TRUE(list.GetNextCopy(copy));
    EXPECT_EQ(copy.GetLatitude(), "7");
    EXPECT_FALSE(list.GetNextCopy(copy));
    const CMark* m = nullptr;
    ASSERT_TRUE(list.GetFirst(m));
    list.RemoveAll();
    EXPECT_FALSE(list.GetNext(m));
}

TEST(MarksList, ManyDistinctMarksKeepOrderAndFindEachOther)
{
    CMarkList list;
    for (int i = 0; i < 5000; ++i)
        list.AddMark(std::to_string(i), "0", "0");  // temporaries: the index must own its keys
    for (int i = 0; i < 5000; i += 2)
        list.RemoveMark(std::to_string(i), "0", "0");
    EXPECT_EQ(list.Size(), 2500u);
    int expected = 1;
    for (const CMark& m : list) {
        EXPECT_EQ(m.GetLatitude(), std::to_string(expected));
        EXPECT_TRUE(list.Contains(m.GetLatitude(), "0", "0"));
        expected += 2;
    }
}

TEST(MarksList, ReceivedMarksMatchByValueAndEveryChangeIsLoggedWithItsRow)
{
    const struct {
        CMark A, B;
        bool Same;
    } values[] = {
        {{"51.5", "-1.25", "100"}, {"51.500000", "-1.2500000", "100.00"}, true},
        {{"1", "2", "3"}, {"1.0000000005", "2", "3.00009"}, true},
        {{"1", "2", "3"}, {"1.000000002", "2", "3"}, false},
        {{"1", "2", "3"}, {"1", "2.000000002", "3"}, false},
        {{"1", "2", "3"}, {"1", "2", "3.00011"}, false},
    };
    for (const auto& v : values)
        EXPECT_EQ(v.A.SameValue(v.B), v.Same) << v.B.GetLatitude() << " " << v.B.GetAltitude();

    using K = SMarkChange::EKind;
    CMarkList list;
    list.AddMark("1", "0", "0");
    list.AddMark("51.5", "-1.25", "100");
    list.AddMark("3", "0", "0");
    EXPECT_FALSE(list.ReceiveMark("51.500000", "-1.25", "100.0"));  // the typed mark, moved to the end
    EXPECT_TRUE(list.ReceiveMark("51.5000001", "-1.25", "100"));
    EXPECT_FALSE(list.ReceiveMark("51.5000001", "-1.25", "100.0000"));  // already last: stays
    list.RemoveMark("1", "0", "0");
    std::vector<std::string> order;
    for (const CMark& m : list)
        order.push_back(m.GetLatitude());
    EXPECT_EQ(order, (std::vector<std::string>{"3", "51.5", "51.5000001"}));
    ASSERT_NE(list.FindSameValue(CMark("3.0", "0", "0")), nullptr);
    EXPECT_EQ(list.FindSameValue(CMark("3.0", "0", "1")), nullptr);

    std::vector<std::pair<K, std::size_t>> changes;
    for (const SMarkChange& c : list.TakeChanges())
        changes.emplace_back(c.Kind, c.Row);
    EXPECT_EQ(changes, (std::vector<std::pair<K, std::size_t>>{
                           {K::Inserted, 0}, {K::Inserted, 1}, {K::Inserted, 2}, {K::Moved, 1}, {K::Inserted, 3},
                           {K::Removed, 0}}));
    EXPECT_TRUE(list.TakeChanges().empty());
    list.RemoveAll();
    list.AddMark("9", "9", "9");
    const auto reset = list.TakeChanges();
    ASSERT_EQ(reset.size(), 1u);  // nothing after a Reset needs telling
    EXPECT_EQ(reset[0].Kind, K::Reset);
    // A log nobody takes stays bounded.
    for (int i = 0; i < 5000; ++i)
        list.RemoveMark("9", "9", "9"), list.AddMark("9", "9", "9");
    EXPECT_LE(list.TakeChanges().size(), 1026u);
}

namespace {
std::vector<CMark> MarksAt(std::initializer_list<const char*> latitudes)
{
    std::vector<CMark> out;
    for (const char* lat : latitudes)
        out.emplace_back(lat, "2", "3");
    return out;
}
}  // namespace

TEST(MarksEdits, WriteLossNamesWhatGoesByValue)
{
    const CMark inUse("1", "2", "3");
    const struct {
        std::vector<CMark> Stored;
        std::vector<const char*> Writing;
        bool Reference;
        const char* Question;
    } cases[] = {
        {MarksAt({"1", "4", "5", "6", "7"}), {}, true,
         "Write 0 marks to the base? This deletes all 5 marks stored on it, including the one in use."},
        {MarksAt({"1", "4", "5", "6", "7"}), {}, false, "Write 0 marks to the base? This deletes all 5 marks stored on it."},
        // By value: "1.0" keeps "1"; a mark twice on the base needs two to stay.
        {MarksAt({"1", "4", "5", "6", "7"}), {"1.0", "4", "9"}, true,
         "Write 3 marks to the base? This deletes 3 of the 5 marks stored on it."},
        {MarksAt({"1", "4", "4"}), {"4", "8"}, true,
         "Write 2 marks to the base? This deletes 2 of the 3 marks stored on it, including the one in use."},
        {MarksAt({"1"}), {"5"}, true, "Write 1 mark to the base? This deletes the only mark stored on it, the one in use."},
        {MarksAt({"4"}), {"5"}, true, "Write 1 mark to the base? This deletes the only mark stored on it."},
        {MarksAt({"1", "4"}), {"4", "1", "9"}, true, ""},
        {{}, {}, true, ""},
    };
    for (const auto& c : cases) {
        CMarkList writing;
        for (const char* lat : c.Writing)
            writing.AddMark(lat, "2", "3");
        const SWriteLoss loss = FindWriteLoss(c.Stored, writing, c.Reference ? &inUse : nullptr);
        EXPECT_EQ(WriteLossQuestion(CBaseTexts(), loss), c.Question) << c.Question;
    }
}

TEST(MarksEdits, UndoneDeletesReturnAtTheirRowsLatestFirst)
{
    CMarkList list;
    for (const char* lat : {"0", "1", "2", "3", "4"})
        list.AddMark(lat, "2", "3");
    auto latitudes = [&list] {
        std::string out;
        for (const CMark& m : list)
            out += m.GetLatitude();
        return out;
    };
    CMarkDeleteUndo undo;
    EXPECT_EQ(undo.Delete(list, MarksAt({"3", "1"})), 2u);  // in any order
    EXPECT_EQ(undo.Delete(list, MarksAt({"4", "9"})), 1u);  // "9" is not listed
    EXPECT_EQ(undo.Delete(list, MarksAt({"9"})), 0u);       // nothing to undo later
    EXPECT_EQ(latitudes(), "02");
    list.AddMark("5", "2", "3");
    EXPECT_EQ(undo.Undo(list), (std::vector<std::size_t>{2}));
    EXPECT_EQ(latitudes(), "0245");
    list.AddMark("1", "2", "3");  // typed in again: stays where it is now
    EXPECT_EQ(undo.Undo(list), (std::vector<std::size_t>{3}));
    EXPECT_EQ(latitudes(), "024351");
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_TRUE(undo.Undo(list).empty());
    // The model follows: the inserts are logged at their rows.
    bool inserted = false;
    for (const SMarkChange& change : list.TakeChanges())
        inserted |= change.Kind == SMarkChange::EKind::Inserted && change.Row == 3 && change.Mark.GetLatitude() == "3";
    EXPECT_TRUE(inserted);
}
