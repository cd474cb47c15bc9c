#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ui/language_module.h"
#include "ui/system_language.h"

TEST(LanguageLocale, TerritoriesMapToTheirOwnIdentifiers)
{
    const std::map<std::string, int> cases = {
        {"es_ES", 3082}, {"es_MX", 2058}, {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081},
        {"en_CA", 4105}, {"en_NZ", 5129}, {"en_IE", 6153}, {"en_ZA", 7177}, {"de_DE", 1031},
        {"de_AT", 3079}, {"de_CH", 2055}, {"fr_CA", 3084}, {"pt_PT", 2070}, {"nn_NO", 2068},
    };
    for (const auto& [locale, id] : cases)
        EXPECT_EQ(LanguageIdFromLocale(locale), id) << locale;
}

TEST(LanguageLocale, EncodingModifierAndCaseAreIgnored)
{
    EXPECT_EQ(LanguageIdFromLocale("de_DE.UTF-8@euro"), 1031);
    EXPECT_EQ(LanguageIdFromLocale("de_AT@euro"), 3079);
    EXPECT_EQ(LanguageIdFromLocale("es_ES.ISO-8859-1"), 3082);
    EXPECT_EQ(LanguageIdFromLocale("EN_gb.utf8"), 2057);
}

TEST(LanguageLocale, LanguageWithoutOrWithUnlistedTerritoryGivesThePrimaryIdentifier)
{
    EXPECT_EQ(LanguageIdFromLocale("de"), 1031);
    EXPECT_EQ(LanguageIdFromLocale("es.UTF-8"), 1034);
    EXPECT_EQ(LanguageIdFromLocale("fr"), 1036);
    EXPECT_EQ(LanguageIdFromLocale("en"), 1033);
    EXPECT_EQ(LanguageIdFromLocale("de_BE"), 1031);
}

TEST(LanguageLocale, NeutralOrMissingLocaleIsUsEnglish)
{
    for (const char* locale : {"C", "POSIX", "C.UTF-8", "", "C.utf8"})
        EXPECT_EQ(LanguageIdFromLocale(locale), 1033) << locale;
}

TEST(LanguageLocale, UnknownLanguageMatchesNoKnownLanguage)
{
    const int id = LanguageIdFromLocale("xx_YY");
    EXPECT_EQ(id, LanguageIds::Unspecified);
    EXPECT_EQ(CLanguageModule().FindLanguageName(id), "");
}

TEST(LanguageLocale, FirstNonEmptyOfLcAllLcMessagesLang)
{
    std::map<std::string, std::string> env;
    const EnvironmentReader read = [&env](const std::string& name) {
        const auto it = env.find(name);
        return it == env.end() ? std::string() : it->second;
    };
    EXPECT_EQ(SystemDefaultLanguageId(read), 1033);
    env["LANG"] = "de_DE.UTF-8";
    EXPECT_EQ(SystemDefaultLanguageId(read), 1031);
    env["LC_MESSAGES"] = "es_MX.UTF-8";
    EXPECT_EQ(SystemDefaultLanguageId(read), 2058);
    env["LC_ALL"] = "";
    EXPECT_EQ(SystemDefaultLanguageId(read), 2058);
    env["LC_ALL"] = "en_GB.UTF-8";
    EXPECT_EQ(SystemDefaultLanguageId(read), 2057);
}

TEST(LanguageLocale, EveryKnownLanguageIsReachableFromSomeLocale)
{
    const std::map<std::string, std::string> localeFor = {
        {"czech", "cs_CZ"}, {"danish", "da_DK"}, {"english", "en_US"}, {"dutch", "nl_NL"},
        {"finnish", "fi_FI"}, {"french", "fr_FR"}, {"german", "de_DE"}, {"greek", "el_GR"},
        {"hungarian", "hu_HU"}, {"icelandic", "is_IS"}, {"italian", "it_IT"}, {"norwegian", "nb_NO"},
        {"polish", "pl_PL"}, {"portugues_br", "pt_BR"}, {"russian", "ru_RU"}, {"slovak", "sk_SK"},
        {"spanish", "es_ES"}, {"swedish", "sv_SE"}, {"turkish", "tr_TR"},
    };
    const CLanguageModule module;
    ASSERT_EQ(module.GetLanguageCount(), 19);
    for (int i = 0; i < module.GetLanguageCount(); ++i) {
        const std::string& name = module.GetLanguageEntry(i).Name;
        ASSERT_TRUE(localeFor.count(name)) << name;
        EXPECT_EQ(module.FindLanguageName(LanguageIdFromLocale(localeFor.at(name))), name);
    }
}
