#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <fstream>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "ui/language_library.h"
#include "ui/installed_data.h"
#include "ui/language_module.h"
#include "ui/message_template.h"
#include "ui/string_table.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder that is also the working directory for the test's lifetime, and a module set up
// as the application does.
class LanguageModuleTest : public testing::Test {
protected:
    LanguageModuleTest()
    {
        std::random_device random;
        do
            m_Path = fs::temp_directory_path() / ("varnel-lang-" + std::to_string(random()));
        while (!fs::create_directory(m_Path));
        m_Previous = fs::current_path();
        fs::current_path(m_Path);
        module.Configure("DEBUG/languages", "spanish");
    }
    ~LanguageModuleTest() override
    {
        fs::current_path(m_Previous);
        fs::remove_all(m_Path);
    }

    void Write(const std::string& relative, const std::string& content) const
    {
        const fs::path file = m_Path / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }

    fs::path m_Path;
    fs::path m_Previous;
    CLanguageModule module;
};

}  // namespace

TEST(LanguageLibrary, ParsesEntriesCommentsEscapesAndSkipsMalformedLines)
{
    const auto lib = CLanguageLibrary::FromText(
        "\xEF\xBB\xBF# comment=with an equals sign\r\n"
        "152=Latitud\r\n"
        "  153 =Longitud\n"
        "154= leading blank kept\n"
        "155=a\\nb\\tc\\\\d\\x\\\n"
        "156=x=y\n"
        "\n   \n"
        "no equals sign\nabc=letters\n=no id\n-5=negative\n65536=too large\n"
        "160=first\n"
        "160=second");
    EXPECT_EQ(lib.Text(152), "Latitud");
    EXPECT_EQ(lib.Text(153), "Longitud");
    EXPECT_EQ(lib.Text(154), " leading blank kept");
    EXPECT_EQ(lib.Text(155), "a\nb\tc\\d\\x\\");
    EXPECT_EQ(lib.Text(156), "x=y");
    EXPECT_EQ(lib.Text(160), "second");
    EXPECT_EQ(lib.Size(), 6u);
    EXPECT_EQ(lib.MalformedLines(), 5);
}

TEST(LanguageLibrary, LongTextsAreCutAt1023CharactersNotBytes)
{
    std::string umlauts;
    for (int i = 0; i < 1100; ++i)
        umlauts += "\xC3\xA4";
    const auto lib = CLanguageLibrary::FromText("1=" + std::string(2000, 'a') + "\n2=" + std::string(1023, 'b') +
                                                "\n3=" + std::string(1022, 'c') + "\\n\\n\n4=" + umlauts);
    EXPECT_EQ(lib.Text(1), std::string(1023, 'a'));
    EXPECT_EQ(lib.Text(2), std::string(1023, 'b'));
    EXPECT_EQ(lib.Text(3), std::string(1022, 'c') + "\n");  // escapes count once decoded
    EXPECT_EQ(lib.Text(4).size(), 2046u);                  // 1023 two-byte characters, none split
}

TEST(LanguageModule, FreshModuleUsesBuiltInTextsAndMatchesIdentifiersAsSixteenBitValues)
{
    const CLanguageModule fresh;
    EXPECT_EQ(fresh.GetCurrentLanguage(), "");
    EXPECT_FALSE(fresh.IsLibraryLoaded());
    EXPECT_EQ(fresh.LoadText(152), "Latitude");
    EXPECT_EQ(fresh.LoadText(216), "Writing Coordinates to Base.");
    EXPECT_EQ(fresh.LoadText(151), "");
    EXPECT_EQ(fresh.LoadText(217), "");

    EXPECT_EQ(fresh.FindLanguageName(3082), "spanish");
    EXPECT_EQ(fresh.FindLanguageName(2055), "german");
    EXPECT_EQ(fresh.FindLanguageName(1033 + 0x10000), "english");
    EXPECT_EQ(fresh.FindLanguageName(2057), "");
}

TEST_F(LanguageModuleTest, PartialTranslationFallsBackPerIdAndUnknownIdentifierChangesNothing)
{
    Write("DEBUG/languages/spanish.lng", "152=Latitud\n153=\n# 154=Altura\n159=Cancelar\n");
    ASSERT_TRUE(module.SelectLanguage(3082));
    EXPECT_TRUE(module.IsLibraryLoaded());
    EXPECT_EQ(module.LoadText(152), "Latitud");
    EXPECT_EQ(module.LoadText(153), "Longitude");  // empty translation
    EXPECT_EQ(module.LoadText(154), "Altitude");   // commented out
    EXPECT_EQ(module.LoadText(159), "Cancelar");
    EXPECT_EQ(module.LoadText(160), "Ok");         // absent

    EXPECT_FALSE(module.SelectLanguage(2057));
    EXPECT_EQ(module.GetCurrentLanguage(), "spanish");
    EXPECT_TRUE(module.IsLibraryLoaded());
    EXPECT_EQ(module.LoadText(152), "Latitud");
}

TEST_F(LanguageModuleTest, SwitchingLanguagesReplacesTheLoadedFile)
{
    Write("DEBUG/languages/spanish.lng", "152=Latitud\n153=Longitud\n");
    Write("DEBUG/languages/german.lng", "152=Breite\n");
    ASSERT_TRUE(module.SelectLanguage(1034));
    module.Unload();
    EXPECT_EQ(module.LoadText(152), "Latitude");
    ASSERT_TRUE(module.SelectLanguage(1031));
    EXPECT_EQ(module.GetCurrentLanguage(), "german");
    EXPECT_EQ(module.LoadText(152), "Breite");
    EXPECT_EQ(module.LoadText(153), "Longitude");  // nothing left over from Spanish

    fs::remove(m_Path / "DEBUG/languages/german.lng");
    ASSERT_TRUE(module.SelectLanguage(1034));
    // A missing file selects the configured default name, with no stale Spanish texts.
    ASSERT_TRUE(module.SelectLanguage(2055));
    EXPECT_EQ(module.GetCurrentLanguage(), "spanish");
    EXPECT_FALSE(module.IsLibraryLoaded());
    EXPECT_EQ(module.LoadText(153), "Longitude");

    fs::create_directories(m_Path / "DEBUG/languages/german.lng");  // there but unreadable: the name is kept
    ASSERT_TRUE(module.SelectLanguage(1031));
    EXPECT_EQ(module.GetCurrentLanguage(), "german");
    EXPECT_FALSE(module.IsLibraryLoaded());
}

// The folder is looked up below the working directory at each selection, not once.
TEST_F(LanguageModuleTest, FilesAreFoundBelowTheCurrentWorkingDirectory)
{
    Write("one/DEBUG/languages/spanish.lng", "152=Latitud uno\n");
    Write("two/DEBUG/languages/spanish.lng", "152=Latitud dos\n");
    for (const char* dir : {"one", "two"}) {
        fs::current_path(m_Path / dir);
        module.SelectLanguage(1034);
        EXPECT_EQ(module.LoadText(152), std::string("Latitud ") + (dir[0] == 'o' ? "uno" : "dos"));
    }
}

// An installed program started from the menu finds its files from its executable's folder; a file
// below the working directory still comes first.
TEST_F(LanguageModuleTest, InstalledFolderServesWhenTheWorkingDirectoryHasNoFile)
{
#ifdef _WIN32
    // The zip and the installer keep the languages beside the program.
    EXPECT_EQ(InstalledLanguageFolder("C:/vlm"), "C:/vlm/languages");
    const std::string installed = "inst/bin/languages/";
#else
    EXPECT_EQ(InstalledLanguageFolder("/opt/vlm/bin"), "/opt/vlm/share/varnel-link-manager/languages");
    const std::string installed = "inst/share/varnel-link-manager/languages/";
#endif
    EXPECT_EQ(InstalledLanguageFolder(""), "");
    Write(installed + "spanish.lng", "152=Latitud instalada\n");
    Write(installed + "german.lng", "152=Breite installiert\n");
    Write("DEBUG/languages/german.lng", "152=Breite lokal\n");
    module.SetInstalledFolder(InstalledLanguageFolder((m_Path / "inst/bin").string()));
    const struct {
        int id;
        const char* current;
        const char* latitude;
    } cases[] = {
        {3082, "spanish", "Latitud instalada"},
        {1031, "german", "Breite lokal"},
        {1036, "spanish", "Latitude"},  // in neither folder: the default name and the built-in text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(module.SelectLanguage(c.id));
        EXPECT_EQ(module.GetCurrentLanguage(), c.current);
        EXPECT_EQ(module.LoadText(152), c.latitude);
    }
}

// Only regular files of at most 1 MiB are read; anything else leaves the built-in texts.
TEST_F(LanguageModuleTest, OversizedOrIrregularFilesAreRefused)
{
    const std::string entry = "152=Latitud\n";
    const std::string atLimit = entry + std::string(CLanguageLibrary::MaxFileBytes - entry.size(), '#');
    const struct {
        const char* name;
        std::string content;
        const char* latitude;
    } cases[] = {
        {"at the limit", atLimit, "Latitud"},
        {"one byte over", atLimit + "#", "Latitude"},
        {"far over", entry + std::string(8 * CLanguageLibrary::MaxFileBytes, '#'), "Latitude"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write("DEBUG/languages/spanish.lng", c.content);
        ASSERT_TRUE(module.SelectLanguage(3082));
        EXPECT_EQ(module.LoadText(152), c.latitude);
        EXPECT_EQ(module.IsLibraryLoaded(), c.latitude == std::string("Latitud"));
    }
#ifndef _WIN32
    // A FIFO would block a reader until someone writes to it.
    fs::remove(m_Path / "DEBUG/languages/spanish.lng");
    ASSERT_EQ(mkfifo((m_Path / "DEBUG/languages/spanish.lng").c_str(), 0600), 0);
    EXPECT_EQ(CLanguageLibrary::LoadFile((m_Path / "DEBUG/languages/spanish.lng").string()), nullptr);
#endif
}

// The core's English file messages reach the operator in the language in use, the file's name and
// the system's reason kept as they are.
TEST(MessageTemplate, FileMessagesFillTheTranslatedTemplate)
{
    const auto german = [](int id) -> std::string {
        switch (id) {
        case 852: return "%1 kann nicht gelesen werden: %2.";
        case 853: return "%1 kann nicht gelesen werden.";
        case 862: return "%1 ist kein UTF-8-Text (bei %2).";
        default: return "";  // not translated: the English stays
        }
    };
    const struct {
        const char* English;
        const char* Shown;
    } cases[] = {
        {"Cannot read /m/a.mrk: Permission denied.", "/m/a.mrk kann nicht gelesen werden: Permission denied."},
        {"Cannot read C:/x: y/a.csv: I/O error.", "C:/x: y/a.csv kann nicht gelesen werden: I/O error."},
        {"Cannot read a.csv.", "a.csv kann nicht gelesen werden."},
        {"b.gpx is not UTF-8 text (at line 3, byte 7).", "b.gpx ist kein UTF-8-Text (bei line 3, byte 7)."},
        {"Cannot open a.mrk: No such file or directory.", "Cannot open a.mrk: No such file or directory."},
        {"Cannot read .", "Cannot read ."},  // an empty place is no match
        {"Something else entirely.", "Something else entirely."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TranslateMessage(c.English, german), c.Shown) << c.English;
    EXPECT_EQ(TranslateMessage("Cannot read a.", nullptr), "Cannot read a.");
    EXPECT_EQ(FillTemplate("%2 before %1, %3 stays", {"a", "b"}), "b before a, %3 stays");
    // Every file-message template holds the file's name.
    for (int id = StringIds::FirstFileMessage; id <= StringIds::LastFileMessage; ++id)
        EXPECT_NE(std::string_view(BuiltInStringText(id)).find("%1"), std::string_view::npos) << id;
}
