#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "ui/language_library.h"

// One known language: its file name (without extension) and the language identifiers it covers.
struct SLanguageEntry {
    static constexpr int MaxIds = 10;
    std::string Name;
    std::array<std::uint16_t, MaxIds> Ids{};
    int IdCount = 0;
};

// Knows the languages there are files for, loads one language file, and answers every request for
// a user-interface text: from the loaded file when it has the text, else from the built-in table.
// Language files live at <working directory>/<LanguageFolder>/<name>.lng; when a file is not there,
// the installed folder (if one is set) is tried, so a program started from the menu finds its own.
class CLanguageModule {
public:
    static constexpr int MaxLanguages = 100;
    static constexpr const char* FileExtension = ".lng";

    CLanguageModule();
    ~CLanguageModule();
    CLanguageModule(const CLanguageModule&) = delete;
    CLanguageModule& operator=(const CLanguageModule&) = delete;

    void Configure(const std::string& folder, const std::string& defaultName);
    // The absolute folder of the installed language files; empty for none.
    void SetInstalledFolder(const std::string& folder) { m_InstalledFolder = folder; }
    // False when no known language lists the identifier (nothing changes then); true otherwise,
    // whether or not that language's file exists.
    bool SelectLanguage(int languageId);
    void Unload();
    std::string LoadText(int id) const;

    const std::string& GetCurrentLanguage() const { return m_CurrentLanguage; }
    const std::string& GetDefaultLanguage() const { return m_DefaultLanguage; }
    const std::string& GetLanguageFolder() const { return m_LanguageFolder; }
    const std::string& GetInstalledFolder() const { return m_InstalledFolder; }
    bool IsLibraryLoaded() const { return m_Library != nullptr; }
    int GetLanguageCount() const { return m_LanguageCount; }
    const SLanguageEntry& GetLanguageEntry(int index) const { return m_LanguageTable.at(static_cast<std::size_t>(index)); }
    // The name of the first entry listing the identifier (compared as 16-bit values), or empty.
    std::string FindLanguageName(int languageId) const;
    // Where SelectLanguage looks for a language's file, from the current working directory.
    std::string LanguageFilePath(const std::string& name) const;
    // The file SelectLanguage loads: below the working directory when anything of that name is
    // there, else in the installed folder when it is there, else the working directory's path.
    std::string FindLanguageFile(const std::string& name) const;

private:
    void LoadLanguageFile(const std::string& path, const std::string& name);

    std::string m_CurrentLanguage;
    std::string m_DefaultLanguage = "english";
    std::string m_LanguageFolder = "languages";
    std::string m_InstalledFolder;
    std::unique_ptr<CLanguageLibrary> m_Library;
    std::array<SLanguageEntry, MaxLanguages> m_LanguageTable;
    int m_LanguageCount = 0;
};
