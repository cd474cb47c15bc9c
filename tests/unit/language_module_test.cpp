#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ui/language_library.h"
#include "ui/language_module.h"
#include "ui/string_table.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder that is also the working directory for the test's lifetime.
class WorkingDirectory {
public:
    WorkingDirectory()
    {
        std::string pattern = (fs::temp_directory_path() / "varnel-lang-XXXXXX").string();
        m_Path = mkdtemp(pattern.data());
        m_Previous = fs::current_path();
        fs::current_path(m_Path);
    }
    ~WorkingDirectory()
    {
        fs::current_path(m_Previous);
        fs::remove_all(m_Path);
    }
    const fs::path& Path() const { return m_Path; }

    void Write(const std::string& relative, const std::string& content) const
    {
        const fs::path file = m_Path / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }

private:
    fs::path m_Path;
    fs::path m_Previous;
};

// As the application sets it up.
struct ConfiguredModule : CLanguageModule {
    ConfiguredModule() { Configure("DEBUG/languages", "spanish"); }
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
        "\n"
        "   \n"
        "no equals sign\n"
        "abc=letters\n"
        "=no id\n"
        "-5=negative\n"
        "65536=too large\n"
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
    const auto lib = CLanguageLibrary::FromText("1=" + std::string(2000, 'a') + "\n2=" + std::string(1023, 'b') +
                                                "\n3=" + std::string(1022, 'c') + "\\n\\n\n4=" +
                                                [] { std::string s; for (int i = 0; i < 1100; ++i) s += "\xC3\xA4"; return s; }());
    EXPECT_EQ(lib.Text(1), std::string(1023, 'a'));
    EXPECT_EQ(lib.Text(2), std::string(1023, 'b'));
    EXPECT_EQ(lib.Text(3), std::string(1022, 'c') + "\n");  // escapes count once decoded
    EXPECT_EQ(lib.Text(4).size(), 2046u);                  // 1023 two-byte characters, none split
}

TEST(LanguageModule, FreshModuleUsesBuiltInTextsAndMatchesIdentifiersAsSixteenBitValues)
{
    const CLanguageModule module;
    EXPECT_EQ(module.GetCurrentLanguage(), "");
    EXPECT_EQ(module.GetDefaultLanguage(), "english");
    EXPECT_EQ(module.GetLanguageFolder(), "languages");
    EXPECT_FALSE(module.IsLibraryLoaded());
    EXPECT_EQ(module.LoadText(152), "Latitude");
    EXPECT_EQ(module.LoadText(216), "Writing Coordinates to Base.");
    EXPECT_EQ(module.LoadText(151), "");
    EXPECT_EQ(module.LoadText(217), "");

    EXPECT_EQ(module.FindLanguageName(3082), "spanish");
    EXPECT_EQ(module.FindLanguageName(2055), "german");
    EXPECT_EQ(module.FindLanguageName(1033 + 0x10000), "english");
    EXPECT_EQ(module.FindLanguageName(2057), "");
}

TEST(LanguageModule, UnknownIdentifierChangesNothing)
{
    WorkingDirectory wd;
    wd.Write("DEBUG/languages/spanish.lng", "152=Latitud\n");
    ConfiguredModule module;
    ASSERT_TRUE(module.SelectLanguage(3082));
    EXPECT_FALSE(module.SelectLanguage(2057));
    EXPECT_EQ(module.GetCurrentLanguage(), "spanish");
    EXPECT_TRUE(module.IsLibraryLoaded());
    EXPECT_EQ(module.LoadText(152), "Latitud");
}

TEST(LanguageModule, MissingFileSelectsTheDefaultNameAndBuiltInTexts)
{
    WorkingDirectory wd;
    ConfiguredModule module;
    EXPECT_TRUE(module.SelectLanguage(1033));
    EXPECT_EQ(module.GetCurrentLanguage(), "spanish");  // the configured default name
    EXPECT_FALSE(module.IsLibraryLoaded());
    EXPECT_EQ(module.LoadText(152), "Latitude");
}

TEST(LanguageModule, PartialTranslationFallsBackPerId)
{
    WorkingDirectory wd;
    wd.Write("DEBUG/languages/spanish.lng", "152=Latitud\n153=\n# 154=Altura\n159=Cancelar\n");
    ConfiguredModule module;
    ASSERT_TRUE(module.SelectLanguage(3082));
    EXPECT_TRUE(module.IsLibraryLoaded());
    EXPECT_EQ(module.LoadText(152), "Latitud");
    EXPECT_EQ(module.LoadText(153), "Longitude");  // empty translation
    EXPECT_EQ(module.LoadText(154), "Altitude");   // commented out
    EXPECT_EQ(module.LoadText(159), "Cancelar");
    EXPECT_EQ(module.LoadText(160), "Ok");         // absent
}

TEST(LanguageModule, SwitchingLanguagesReplacesTheLoadedFile)
{
    WorkingDirectory wd;
    wd.Write("DEBUG/languages/spanish.lng", "152=Latitud\n153=Longitud\n");
    wd.Write("DEBUG/languages/german.lng", "152=Breite\n");
    ConfiguredModule module;
    ASSERT_TRUE(module.SelectLanguage(1034));
    module.Unload();
    EXPECT_EQ(module.LoadText(152), "Latitude");
    ASSERT_TRUE(module.SelectLanguage(1031));
    EXPECT_EQ(module.GetCurrentLanguage(), "german");
    EXPECT_EQ(module.LoadText(152), "Breite");
    EXPECT_EQ(module.LoadText(153), "Longitude");  // nothing left over from Spanish

    fs::remove(wd.Path() / "DEBUG/languages/german.lng");
    ASSERT_TRUE(module.SelectLanguage(1034));
    ASSERT_TRUE(module.SelectLanguage(2055));  // German file now missing: no stale Spanish texts
    EXPECT_EQ(module.GetCurrentLanguage(), "spanish");
    EXPECT_FALSE(module.IsLibraryLoaded());
    EXPECT_EQ(module.LoadText(153), "Longitude");
}

TEST(LanguageModule, UnreadableFileLoadsNothingButKeepsTheName)
{
    WorkingDirectory wd;
    fs::create_directories(wd.Path() / "DEBUG/languages/german.lng");  // exists, not a readable file
    ConfiguredModule module;
    EXPECT_TRUE(module.SelectLanguage(1031));
    EXPECT_EQ(module.GetCurrentLanguage(), "german");
    EXPECT_FALSE(module.IsLibraryLoaded());
    EXPECT_EQ(module.LoadText(152), "Latitude");
}

TEST(LanguageModule, FilesAreFoundBelowTheCurrentWorkingDirectory)
{
    WorkingDirectory wd;
    wd.Write("one/DEBUG/languages/spanish.lng", "152=Latitud uno\n");
    wd.Write("two/DEBUG/languages/spanish.lng", "152=Latitud dos\n");
    ConfiguredModule module;

    EXPECT_EQ(module.LanguageFilePath("spanish"), fs::current_path().string() + "/DEBUG/languages/spanish.lng");
    module.SelectLanguage(1034);
    EXPECT_EQ(module.GetCurrentLanguage(), "spanish");
    EXPECT_FALSE(module.IsLibraryLoaded());

    fs::current_path(wd.Path() / "one");
    module.SelectLanguage(1034);
    EXPECT_EQ(module.LoadText(152), "Latitud uno");
    fs::current_path(wd.Path() / "two");
    module.SelectLanguage(1034);
    EXPECT_EQ(module.LoadText(152), "Latitud dos");
}
