#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ui/utf8_path.h"
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
        dir = fs::path(::testing::TempDir()) / ("varnel_marks_file_" + std::to_string(::getpid()));
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
    static void Write(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }
    fs::path dir;
    CBaseSettings settings;
    std::string error;
};

}  // namespace

TEST(MarksArchive, TextPrefixFormsAndWideTexts)
{
    const std::pair<std::size_t, std::string> forms[] = {{254, Bytes({254})},
                                                         {255, Bytes({255, 255, 0})},
                                                         {65533, Bytes({255, 0xFD, 0xFF})},
                                                         {65534, Bytes({255, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0})}};
    std::string t;
    for (const auto& [n, prefix] : forms) {
        CArchiveWriter ar;
        ar.WriteText(std::string(n, 'a'));
        EXPECT_EQ(ar.Bytes(), prefix + std::string(n, 'a')) << n;
        CArchiveReader rd(ar.Bytes());
        ASSERT_TRUE(rd.ReadText(t));
        EXPECT_EQ(t, std::string(n, 'a'));
    }

    // Wide marker, then a one-byte count of UTF-16 characters: "5", e-acute, a CJK character, an
    // emoji as a surrogate pair.
    // The readers view bytes held here: they must outlive them.
    const std::string wideBytes = Bytes({255, 0xFE, 0xFF, 5, '5', 0, 0xE9, 0, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE});
    CArchiveReader wide(wideBytes);
    ASSERT_TRUE(wide.ReadText(t));
    EXPECT_EQ(t, "5\xE9??");
    const std::string shortBytes = Bytes({255, 0xFE, 0xFF, 2, 'a', 0, 'b'});  // 2 wide chars need 4 bytes
    CArchiveReader wideTooLong(shortBytes);
    EXPECT_FALSE(wideTooLong.ReadText(t));
}

TEST(MarksFileFormat, ByteExampleEmptyListAndLongLatitude)
{
    CMarkList list;
    EXPECT_EQ(CMarkFile::Encode(list, SBatterySettings{}).size(), 44u);
    // The doubles 12.0, 12.0, 11.0, 11.0, then the integers 500, 500.
    const std::string d12 = Bytes({0, 0, 0, 0, 0, 0, 0x28, 0x40}), d11 = Bytes({0, 0, 0, 0, 0, 0, 0x26, 0x40});
    EXPECT_EQ(DefaultSettingsBytes(), d12 + d12 + d11 + d11 + Bytes({0xF4, 1, 0, 0, 0xF4, 1, 0, 0}));

    list.AddMark("51.5", "-1.25", "100");
    const std::string expected = Bytes({1, 0, 0, 0}) + "\x03" "100" "\x04" "51.5" "\x05" "-1.25" + DefaultSettingsBytes();
    EXPECT_EQ(CMarkFile::Encode(list, SBatterySettings{}), expected);
    SMarkFileContents c;
    std::string error;
    ASSERT_TRUE(CMarkFile::Decode(expected, c, error));
    EXPECT_EQ(c.Marks, std::vector<CMark>{CMark("51.5", "-1.25", "100")});
    EXPECT_EQ(c.Battery, SBatterySettings{});

    const std::string lat(300, '1');
    list.AddMark(lat, "2", "3");
    const std::string bytes = CMarkFile::Encode(list, SBatterySettings{});
    EXPECT_EQ(bytes.substr(expected.size() - 40 + 2, 3), Bytes({255, 0x2C, 0x01}));
    ASSERT_TRUE(CMarkFile::Decode(bytes, c, error));
    EXPECT_EQ(c.Marks.at(1).GetLatitude(), lat);
}

TEST(MarksFileFormat, NegativeCountMeansNoMarksAndOversizedPrefixesAreShortFiles)
{
    SMarkFileContents c;
    std::string error;
    ASSERT_TRUE(CMarkFile::Decode(Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + DefaultSettingsBytes(), c, error)) << error;
    EXPECT_TRUE(c.Marks.empty());

    // 0x7FFFFFFF marks in 44 bytes: refused before any storage is reserved for them.
    EXPECT_FALSE(CMarkFile::Decode(Bytes({0xFF, 0xFF, 0xFF, 0x7F}) + DefaultSettingsBytes(), c, error, "big.mrk"));
    EXPECT_EQ(error, "An attempt was made to access big.mrk past its end.");
    const std::string badText = Bytes({1, 0, 0, 0, 255, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}) + DefaultSettingsBytes();
    EXPECT_FALSE(CMarkFile::Decode(badText, c, error, "bad.mrk"));
    EXPECT_EQ(error, "An attempt was made to access bad.mrk past its end.");

    EXPECT_FALSE(CMarkFile::Decode(Bytes({0, 0}), c, error, "two.mrk"));
    EXPECT_EQ(error, "An attempt was made to access two.mrk past its end.");
}

TEST_F(MarksFileTest, SaveThenAppendMergesAndReloadsSettings)
{
    CMarkList list;
    list.AddMark("51.5", "-1.25", "100");
    list.AddMark("10.5", "20.5", "7");
    settings.SetIntBatVWarn(12.5);
    const fs::path file = dir / "a.mrk";
    ASSERT_TRUE(CMarkFile::Save(file, list, settings, error)) << error;
    EXPECT_EQ(Read(file), CMarkFile::Encode(list, settings.GetBattery()));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left

    // Existing marks stay in front; one the file holds twice or the list already has loads once.
    Write(dir / "dup.mrk", Bytes({3, 0, 0, 0}) + "\x01" "3" "\x01" "1" "\x01" "2" "\x01" "3" "\x01" "1" "\x01" "2"
                               "\x01" "7" "\x04" "10.5" "\x04" "20.5" + DefaultSettingsBytes());
    list.AddMark("0", "0", "0");
    list.SetModified(false);
    settings.SetModified(false);
    ASSERT_TRUE(CMarkFile::Load(dir / "dup.mrk", CMarkFile::ELoadMode::Append, list, settings, error)) << error;
    EXPECT_EQ(std::vector<CMark>(list.begin(), list.end()),
              (std::vector<CMark>{{"51.5", "-1.25", "100"}, {"10.5", "20.5", "7"}, {"0", "0", "0"}, {"1", "2", "3"}}));
    EXPECT_TRUE(settings.GetModified());
    EXPECT_DOUBLE_EQ(settings.GetIntBatVWarn(), 12.0);
}

TEST_F(MarksFileTest, ReplaceAppliesOnlyAfterAFullRead)
{
    CMarkList list;
    list.AddMark("1", "2", "3");
    ASSERT_TRUE(CMarkFile::Save(dir / "one.mrk", list, settings, error));
    list.RemoveAll();
    list.AddMark("9", "9", "9");
    ASSERT_TRUE(CMarkFile::Load(dir / "one.mrk", CMarkFile::ELoadMode::Replace, list, settings, error));
    ASSERT_EQ(list.Size(), 1u);
    EXPECT_TRUE(list.Contains("1", "2", "3"));

    // Truncated anywhere (in the mark, after two bytes, one byte short): nothing changes.
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
    const fs::path file = dir / "keep.mrk";
    ASSERT_TRUE(CMarkFile::Save(file, list, settings, error));
    const std::string before = Read(file);
#ifdef _WIN32
    const bool folderModeBinds = false; // a read-only attribute does not stop creating files in a folder
#else
    const bool folderModeBinds = ::geteuid() != 0; // root writes anywhere
#endif
    if (folderModeBinds) {
        // A folder where no temporary can be created: the save fails and the old file is untouched.
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
        list.AddMark("4", "5", "6");
        EXPECT_FALSE(CMarkFile::Save(file, list, settings, error));
        EXPECT_NE(error.find("keep.mrk"), std::string::npos);
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ(Read(file), before);
    }
    // The target is a folder: the rename fails and the temporary is cleaned up.
    fs::create_directories(dir / "folder.mrk" / "x");
    EXPECT_FALSE(CMarkFile::Save(dir / "folder.mrk", list, settings, error));
    EXPECT_NE(error.find("folder.mrk"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);  // keep.mrk, folder.mrk
}

TEST(MarksFileFormat, NegativeCountOnlyBeforeExactlyTheSettingsAndLevelsMustBeNumbers)
{
    const std::string minusOne = Bytes({0xFF, 0xFF, 0xFF, 0xFF});
    CArchiveWriter nan;
    SBatterySettings garbage;
    garbage.ExtBatVCritical = std::numeric_limits<double>::quiet_NaN();
    garbage.Store(nan);
    const struct {
        std::string bytes;
        const char* error;
    } damaged[] = {
        {minusOne + DefaultSettingsBytes() + "x", "f.mrk is damaged: its mark count -1 is negative."},
        {minusOne + DefaultSettingsBytes().substr(1), "f.mrk is damaged: its mark count -1 is negative."},
        {Bytes({0, 0, 0, 0x80}) + std::string(100, '\0'), "f.mrk is damaged: its mark count -2147483648 is negative."},
        {Bytes({0, 0, 0, 0}) + nan.Bytes(), "f.mrk is damaged: its battery levels are not numbers."},
    };
    for (const auto& d : damaged) {
        SMarkFileContents c;
        std::string error;
        EXPECT_FALSE(CMarkFile::Decode(d.bytes, c, error, "f.mrk"));
        EXPECT_EQ(error, d.error);
    }
}

#ifndef _WIN32  // FIFOs, /dev/zero and sparse files are POSIX
TEST_F(MarksFileTest, OnlyRegularFilesOfBoundedSizeAreRead)
{
    CMarkList list;
    list.AddMark("1", "2", "3");
    list.SetModified(false);
    settings.SetModified(false);
    ASSERT_EQ(::mkfifo((dir / "fifo.mrk").c_str(), 0600), 0);
    fs::create_directories(dir / "folder.mrk");
    {
        // Sparse: one byte past the limit costs no disk.
        std::ofstream big(dir / "big.mrk", std::ios::binary);
        big.seekp(static_cast<std::streamoff>(CMarkFile::MaxFileBytes));
        big.put('\0');
    }
    const fs::path refused[] = {dir / "fifo.mrk", dir / "folder.mrk", "/dev/zero", dir / "big.mrk", dir / "none.mrk"};
    for (const fs::path& p : refused) {
        for (auto mode : {CMarkFile::ELoadMode::Replace, CMarkFile::ELoadMode::Append}) {
            error.clear();
            EXPECT_FALSE(CMarkFile::Load(p, mode, list, settings, error)) << p;
            EXPECT_NE(error.find(p.string()), std::string::npos) << error;
            EXPECT_EQ(list.Size(), 1u);
            EXPECT_FALSE(list.GetModified());
            EXPECT_FALSE(settings.GetModified());
        }
    }

    // Millions of repeated marks within the limit load into one.
    std::string many = Bytes({0, 0, 0x40, 0});  // 4194304 marks of three empty texts
    many.append(std::size_t{3} << 22, '\0');
    Write(dir / "many.mrk", many + DefaultSettingsBytes());
    ASSERT_TRUE(CMarkFile::Load(dir / "many.mrk", CMarkFile::ELoadMode::Replace, list, settings, error)) << error;
    EXPECT_EQ(std::vector<CMark>(list.begin(), list.end()), std::vector<CMark>{CMark("", "", "")});
}
#endif

TEST_F(MarksFileTest, NameOutsideTheCodePageRoundTrips)
{
    // A UTF-8 name reaches the system intact ("café.mrk" on Windows, not its ANSI garbling).
    const std::string name = "caf\xC3\xA9.mrk";
    CMarkList list;
    list.AddMark("1", "2", "3");
    ASSERT_TRUE(CMarkFile::Save(dir / PathFromUtf8(name), list, settings, error)) << error;
#ifdef _WIN32
    EXPECT_TRUE(fs::exists(dir / fs::path(L"caf\u00E9.mrk"))); // the wide name the system keeps
#endif
    EXPECT_EQ(PathToUtf8(fs::directory_iterator(dir)->path().filename()), name);
    CMarkList loaded;
    ASSERT_TRUE(CMarkFile::Load(dir / PathFromUtf8(name), CMarkFile::ELoadMode::Replace, loaded, settings, error));
    EXPECT_EQ(loaded.Size(), 1u);
    EXPECT_FALSE(CMarkFile::Load(dir / PathFromUtf8("n\xC3\xA3o.mrk"), CMarkFile::ELoadMode::Replace, loaded, settings,
                                 error));
    EXPECT_NE(error.find("n\xC3\xA3o.mrk"), std::string::npos) << error;
}
