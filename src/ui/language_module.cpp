#include "ui/language_module.h"

#include <filesystem>
#include <initializer_list>

#include "ui/utf8_path.h"
#include "ui/string_table.h"

namespace {

struct SKnownLanguage {
    const char* name;
    std::initializer_list<std::uint16_t> ids;
};

// Windows language identifiers; the order decides which entry wins a lookup.
const SKnownLanguage kKnownLanguages[] = {
    {"czech", {0x0405}},
    {"danish", {0x0406}},
    {"english", {0x0409}},
    {"dutch", {0x0413, 0x0813}},
    {"finnish", {0x040B}},
    {"french", {0x040C, 0x080C, 0x0C0C, 0x100C}},
    {"german", {0x0407, 0x0807, 0x0C07}},
    {"greek", {0x0408}},
    {"hungarian", {0x040E}},
    {"icelandic", {0x040F}},
    {"italian", {0x0410, 0x0810}},
    {"norwegian", {0x0414, 0x0814}},
    {"polish", {0x0415}},
    {"portugues_br", {0x0416}},
    {"russian", {0x0419}},
    {"slovak", {0x041B}},
    {"spanish", {0x040A, 0x080A, 0x0C0A}},
    {"swedish", {0x041D}},
    {"turkish", {0x041F}},
};

std::string CurrentDirectory()
{
    std::error_code ec;
    const auto cwd = std::filesystem::current_path(ec);
    return ec ? std::string() : PathToUtf8(cwd);
}

}  // namespace

CLanguageModule::CLanguageModule()
{
    for (const auto& known : kKnownLanguages) {
        SLanguageEntry& entry = m_LanguageTable[static_cast<std::size_t>(m_LanguageCount++)];
        entry.Name = known.name;
        for (std::uint16_t id : known.ids)
            entry.Ids[static_cast<std::size_t>(entry.IdCount++)] = id;
    }
}

CLanguageModule::~CLanguageModule() = default;

void CLanguageModule::Configure(const std::string& folder, const std::string& defaultName)
{
    m_LanguageFolder = folder;
    m_DefaultLanguage = defaultName;
}

std::string CLanguageModule::FindLanguageName(int languageId) const
{
    const auto wanted = static_cast<std::uint16_t>(languageId);
    for (int i = 0; i < m_LanguageCount; ++i) {
        const SLanguageEntry& entry = m_LanguageTable[static_cast<std::size_t>(i)];
        for (int k = 0; k < entry.IdCount; ++k)
            if (entry.Ids[static_cast<std::size_t>(k)] == wanted)
                return entry.Name;
    }
    return {};
}

std::string CLanguageModule::LanguageFilePath(const std::string& name) const
{
    // The separator is added even when the directory already ends in one.
    return CurrentDirectory() + "/" + m_LanguageFolder + "/" + name + FileExtension;
}

std::string CLanguageModule::FindLanguageFile(const std::string& name) const
{
    std::string path = LanguageFilePath(name);
    std::error_code ec;
    if (std::filesystem::exists(PathFromUtf8(path), ec) || m_InstalledFolder.empty())
        return path;
    std::string installed = m_InstalledFolder + "/" + name + FileExtension;
    return std::filesystem::exists(PathFromUtf8(installed), ec) ? installed : path;
}

bool CLanguageModule::SelectLanguage(int languageId)
{
    const std::string name = FindLanguageName(languageId);
    if (name.empty())
        return false;
    LoadLanguageFile(FindLanguageFile(name), name);
    return true;
}

void CLanguageModule::LoadLanguageFile(const std::string& path, const std::string& name)
{
    Unload();
    m_CurrentLanguage = name;
    std::error_code ec;
    if (!std::filesystem::exists(PathFromUtf8(path), ec)) {
        // A missing translation is not an error: the built-in texts serve.
        m_CurrentLanguage = m_DefaultLanguage;
        return;
    }
    m_Library = CLanguageLibrary::LoadFile(path);
}

void CLanguageModule::Unload()
{
    m_Library.reset();
}

std::string CLanguageModule::LoadText(int id) const
{
    std::string text;
    if (m_Library)
        text = m_Library->Text(id);
    if (text.empty())
        text = BuiltInStringText(id);
    return text;
}
