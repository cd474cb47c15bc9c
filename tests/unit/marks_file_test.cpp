#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "base/base_settings.h"
#include "marks/archive.h"
#include "marks/mark_file.h"
#include "marks/mark_list.h"

namespace fs = std::filesystem;

namespace {

std::string Bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int c : b)
        s.push_back(static_cast<char>(c));
    return s;
}

std::string DefaultSettingsBytes()
{
    CArchiveWriter ar;
    SBatterySettings{}.Store(ar);
    return ar.Bytes();
}

class MarksFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("varnel_marks_file_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    static std::string Read(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const fs::path& p, const std::string& bytes)
    {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    fs::path dir;
};

}  // namespace

TEST(MarksArchive, TextPrefixForms)
{
    CArchiveWriter ar;
    ar.WriteText(std::string(254, 'a'));
    ar.WriteText(std::string(255, 'b'));
    ar.WriteText(std::string(65533, 'c'));
    ar.WriteText(std::string(65534, 'd'));
    const std::string& b = ar.Bytes();
    EXPECT_EQ(b.substr(0, 1), Bytes({254}));
    EXPECT_EQ(b.substr(255, 3), Bytes({255, 255, 0}));
    EXPECT_EQ(b.substr(255 + 3 + 255, 3), Bytes({255, 0xFD, 0xFF}));
    EXPECT_EQ(b.substr(255 + 258 + 65536, 7), Bytes({255, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0}));

    CArchiveReader rd(b);
    std::string t;
    for (std::size_t n : {254u, 255u, 65533u, 65534u}) {
        ASSERT_TRUE(rd.ReadText(t));
        EXPECT_EQ(t.size(), n);
    }
    EXPECT_EQ(rd.Remaining(), 0u);
}

TEST(MarksArchive, ReadsWideTextsAndRejectsOverlongPrefixes)
{
    // Wide marker, then a one-byte count of UTF-16 characters: "5", e-acute, a CJK character, an
    // emoji as a surrogate pair.
    CArchiveReader wide(Bytes({255, 0xFE, 0xFF, 5, '5', 0, 0xE9, 0, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE}));
    std::string t;
    ASSERT_TRUE(wide.ReadText(t));
    EXPECT_EQ(t, "5\xE9??");

    // Wide marker with a 16-bit count.
    std::string longWide = Bytes({255, 0xFE, 0xFF, 255, 0x2C, 0x01});
    for (int i = 0; i < 300; ++i)
        longWide += Bytes({'7', 0});
    CArchiveReader wide2(longWide);
    ASSERT_TRUE(wide2.ReadText(t));
    EXPECT_EQ(t, std::string(300, '7'));

    CArchiveReader tooLong(Bytes({255, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'x'}));
    EXPECT_FALSE(tooLong.ReadText(t));
    EXPECT_EQ(tooLong.Error(), CArchiveReader::EError::TextTooLong);
    EXPECT_EQ(tooLong.BadLength(), 0x7FFFFFFFu);
    CArchiveReader wideTooLong(Bytes({255, 0xFE, 0xFF, 2, 'a', 0, 'b'}));  // 2 wide chars need 4 bytes
    EXPECT_FALSE(wideTooLong.ReadText(t));
    CArchiveReader cut(Bytes({255, 0x01}));
    EXPECT_FALSE(cut.ReadText(t));
    EXPECT_EQ(cut.Error(), CArchiveReader::EError::PastEnd);
}

TEST(MarksArchive, MarkAndSettingsRecords)
{
    CArchiveWriter ar;
    CMark("51.5", "-1.25", "100").Store(ar);
    CBaseSettings settings;
    settings.SetIntBatDr(750);
    settings.Store(ar);
    EXPECT_EQ(ar.Bytes().size(), 15u + 40u);
    EXPECT_EQ(ar.Bytes().substr(0, 5), "\x04" "51.5");  // latitude first, unlike mark files

    CArchiveReader rd(ar.Bytes());
    CMark m;
    CBaseSettings loaded;
    loaded.SetModified(false);
    ASSERT_TRUE(m.Load(rd));
    ASSERT_TRUE(loaded.Load(rd));
    EXPECT_EQ(m, CMark("51.5", "-1.25", "100"));
    EXPECT_EQ(loaded.GetIntBatDr(), 750);
    EXPECT_TRUE(loaded.GetModified());

    CArchiveReader cut(std::string_view(ar.Bytes()).substr(0, 15 + 39));
    ASSERT_TRUE(m.Load(cut));
    loaded.ResetDefaults();
    EXPECT_FALSE(loaded.Load(cut));
    EXPECT_EQ(loaded.GetIntBatDr(), 500);
}

TEST(MarksFileFormat, ByteExampleAndEmptyList)
{
    CMarkList list;
    EXPECT_EQ(CMarkFile::Encode(list, SBatterySettings{}).size(), 44u);
    EXPECT_EQ(DefaultSettingsBytes().size(), 40u);
    // The doubles 12.0, 12.0, 11.0, 11.0, then the integers 500, 500.
    const std::string d12 = Bytes({0, 0, 0, 0, 0, 0, 0x28, 0x40}), d11 = Bytes({0, 0, 0, 0, 0, 0, 0x26, 0x40});
    EXPECT_EQ(DefaultSettingsBytes(), d12 + d12 + d11 + d11 + Bytes({0xF4, 1, 0, 0, 0xF4, 1, 0, 0}));

    list.AddMark("51.5", "-1.25", "100");
    const std::string expected = Bytes({1, 0, 0, 0}) + "\x03" "100" "\x04" "51.5" "\x05" "-1.25" + DefaultSettingsBytes();
    EXPECT_EQ(CMarkFile::Encode(list, SBatterySettings{}), expected);

    SMarkFileContents c;
    std::string error;
    ASSERT_TRUE(CMarkFile::Decode(expected, c, error));
    ASSERT_EQ(c.Marks.size(), 1u);
    EXPECT_EQ(c.Marks[0], CMark("51.5", "-1.25", "100"));
    EXPECT_EQ(c.Battery, SBatterySettings{});
}

TEST(MarksFileFormat, LongLatitudeAndNegativeCount)
{
    CMarkList list;
    const std::string lat(300, '1');
    list.AddMark(lat, "2", "3");
    const std::string bytes = CMarkFile::Encode(list, SBatterySettings{});
    EXPECT_EQ(bytes.substr(4 + 2, 3), Bytes({255, 0x2C, 0x01}));
    SMarkFileContents c;
    std::string error;
    ASSERT_TRUE(CMarkFile::Decode(bytes, c, error));
    EXPECT_EQ(c.Marks.at(0).GetLatitude(), lat);

    // A count that reads as negative means no marks; the settings still follow.
    SBatterySettings custom;
    custom.IntBatDr = 750;
    CArchiveWriter ar;
    ar.WriteU32(0xFFFFFFFFu);
    custom.Store(ar);
    ASSERT_TRUE(CMarkFile::Decode(ar.Bytes(), c, error));
    EXPECT_TRUE(c.Marks.empty());
    EXPECT_EQ(c.Battery.IntBatDr, 750);
}

TEST(MarksFileFormat, OversizedCountsAndLengthsAreErrorsNamingTheFile)
{
    SMarkFileContents c;
    std::string error;
    // 0x7FFFFFFF marks in 44 bytes: refused before any storage is reserved for them.
    EXPECT_FALSE(CMarkFile::Decode(Bytes({0xFF, 0xFF, 0xFF, 0x7F}) + DefaultSettingsBytes(), c, error, "big.mrk"));
    EXPECT_NE(error.find("big.mrk"), std::string::npos);
    EXPECT_NE(error.find("2147483647 marks"), std::string::npos);

    const std::string badText = Bytes({1, 0, 0, 0, 255, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}) + DefaultSettingsBytes();
    EXPECT_FALSE(CMarkFile::Decode(badText, c, error, "bad.mrk"));
    EXPECT_NE(error.find("bad.mrk"), std::string::npos);
    EXPECT_NE(error.find("268435455 characters"), std::string::npos);

    EXPECT_FALSE(CMarkFile::Decode(Bytes({0, 0}), c, error, "two.mrk"));
    EXPECT_EQ(error, "An attempt was made to access two.mrk past its end.");
}

TEST_F(MarksFileTest, SaveThenAppendMergesAndReloadsSettings)
{
    CMarkList list;
    CBaseSettings settings;
    list.AddMark("51.5", "-1.25", "100");
    list.AddMark("10.5", "20.5", "7");
    settings.SetIntBatVWarn(12.5);
    std::string error;
    const fs::path file = dir / "a.mrk";
    ASSERT_TRUE(CMarkFile::Save(file, list, settings, error)) << error;
    EXPECT_EQ(Read(file), CMarkFile::Encode(list, settings.GetBattery()));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left

    settings.ResetDefaults();
    list.SetModified(false);
    settings.SetModified(false);
    ASSERT_TRUE(CMarkFile::Load(file, CMarkFile::ELoadMode::Append, list, settings, error)) << error;
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_FALSE(list.GetModified());
    EXPECT_TRUE(settings.GetModified());
    EXPECT_DOUBLE_EQ(settings.GetIntBatVWarn(), 12.5);

    // Into another list: existing marks stay in front; a mark held twice by the file loads once.
    CMarkList other;
    other.AddMark("0", "0", "0");
    other.AddMark("10.5", "20.5", "7");
    CArchiveWriter ar;
    ar.WriteU32(3);
    for (const char* lat : {"1", "1", "10.5"}) {
        ar.WriteText(lat == std::string("10.5") ? "7" : "3");
        ar.WriteText(lat);
        ar.WriteText(lat == std::string("10.5") ? "20.5" : "2");
    }
    SBatterySettings{}.Store(ar);
    Write(dir / "dup.mrk", ar.Bytes());
    ASSERT_TRUE(CMarkFile::Load(dir / "dup.mrk", CMarkFile::ELoadMode::Append, other, settings, error)) << error;
    std::vector<std::string> lats;
    for (const CMark& m : other)
        lats.push_back(m.GetLatitude());
    EXPECT_EQ(lats, (std::vector<std::string>{"0", "10.5", "1"}));
}

TEST_F(MarksFileTest, ReplaceAppliesOnlyAfterAFullRead)
{
    CMarkList saved;
    saved.AddMark("1", "2", "3");
    CBaseSettings settings;
    std::string error;
    ASSERT_TRUE(CMarkFile::Save(dir / "one.mrk", saved, settings, error));

    CMarkList list;
    list.AddMark("9", "9", "9");
    ASSERT_TRUE(CMarkFile::Load(dir / "one.mrk", CMarkFile::ELoadMode::Replace, list, settings, error));
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_TRUE(list.Contains("1", "2", "3"));

    // Truncated anywhere (here inside the settings, and after two bytes): nothing changes.
    const std::string full = Read(dir / "one.mrk");
    settings.SetIntBatDr(42);
    settings.SetModified(false);
    list.SetModified(false);
    for (std::size_t cut : {std::size_t{9}, std::size_t{2}, full.size() - 1}) {
        Write(dir / "cut.mrk", full.substr(0, cut));
        EXPECT_FALSE(CMarkFile::Load(dir / "cut.mrk", CMarkFile::ELoadMode::Replace, list, settings, error));
        EXPECT_NE(error.find((dir / "cut.mrk").string()), std::string::npos) << error;
        EXPECT_EQ(list.Size(), 1u);
        EXPECT_FALSE(list.GetModified());
        EXPECT_EQ(settings.GetIntBatDr(), 42);
        EXPECT_FALSE(settings.GetModified());
    }
    EXPECT_EQ(error, "An attempt was made to access " + (dir / "cut.mrk").string() + " past its end.");

    EXPECT_FALSE(CMarkFile::Load(dir / "missing.mrk", CMarkFile::ELoadMode::Replace, list, settings, error));
    EXPECT_NE(error.find("missing.mrk"), std::string::npos);
    EXPECT_EQ(list.Size(), 1u);
}

TEST_F(MarksFileTest, FailedSaveKeepsTheOldFile)
{
    CMarkList list;
    list.AddMark("1", "2", "3");
    CBaseSettings settings;
    std::string error;
    const fs::path file = dir / "keep.mrk";
    ASSERT_TRUE(CMarkFile::Save(file, list, settings, error));
    const std::string before = Read(file);

    if (::geteuid() != 0) {
        // A folder where no temporary can be created: the save fails and the old file is untouched.
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
        list.AddMark("4", "5", "6");
        EXPECT_FALSE(CMarkFile::Save(file, list, settings, error));
        EXPECT_NE(error.find("keep.mrk"), std::string::npos);
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ(Read(file), before);
    }
    // The target is a folder: the rename fails and the temporary is cleaned up.
    fs::create_directory(dir / "folder.mrk");
    fs::create_directory(dir / "folder.mrk" / "x");
    EXPECT_FALSE(CMarkFile::Save(dir / "folder.mrk", list, settings, error));
    EXPECT_NE(error.find("folder.mrk"), std::string::npos);
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir))
        entries += e.path().filename().string().find(".tmp") != std::string::npos;
    EXPECT_EQ(entries, 0);
}
