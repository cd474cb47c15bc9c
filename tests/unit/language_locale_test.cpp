#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "ui/language_module.h"
#include "ui/system_language.h"

TEST(LanguageLocale, LocaleNamesMapToWindowsIdentifiers)
{
    const std::map<std::string, int> cases = {
        // Territories have their own identifiers.
        {"es_ES", 3082}, {"es_MX", 2058}, {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081}, {"en_CA", 4105},
        {"en_NZ", 5129}, {"en_IE", 6153}, {"en_ZA", 7177}, {"de_DE", 1031}, {"de_AT", 3079}, {"de_CH", 2055},
        {"fr_FR", 1036}, {"fr_CA", 3084}, {"pt_PT", 2070}, {"nn_NO", 2068},
        // Encoding, modifier and case are ignored.
        {"de_DE.UTF-8@euro", 1031}, {"de_AT@euro", 3079}, {"es_ES.ISO-8859-1", 3082}, {"EN_gb.utf8", 2057},
        // A language without or with an unlisted territory gives the primary identifier.
        {"de", 1031}, {"es.UTF-8", 1034}, {"fr", 1036}, {"en", 1033}, {"de_BE", 1031},
        // Neutral or missing is US English.
        {"C", 1033}, {"POSIX", 1033}, {"C.UTF-8", 1033}, {"", 1033}, {"C.utf8", 1033},
        {"xx_YY", LanguageIds::Unspecified},
    };
    for (const auto& [locale, id] : cases)
        EXPECT_EQ(LanguageIdFromLocale(locale), id) << "'" << locale << "'";
    EXPECT_EQ(CLanguageModule().FindLanguageName(LanguageIds::Unspecified), "");
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
    env["LC_ALL"] = "";
    EXPECT_EQ(SystemDefaultLanguageId(read), 2058);
    env["LC_ALL"] = "en_GB.UTF-8";
    EXPECT_EQ(SystemDefaultLanguageId(read), 2057);
}

TEST(LanguageLocale, EveryKnownLanguageIsReachableFromSomeLocale)
{
    const CLanguageModule module;
    std::set<std::string> reached;
    for (const char* locale : {"cs_CZ", "da_DK", "en_US", "nl_NL", "fi_FI", "fr_FR", "de_DE", "el_GR", "hu_HU", "is_IS",
                               "it_IT", "nb_NO", "pl_PL", "pt_BR", "ru_RU", "sk_SK", "es_ES", "sv_SE", "tr_TR"})
        reached.insert(module.FindLanguageName(LanguageIdFromLocale(locale)));
    EXPECT_EQ(reached.count(""), 0u);
    EXPECT_EQ(reached.size(), static_cast<std::size_t>(module.GetLanguageCount()));
    EXPECT_EQ(module.GetLanguageCount(), 19);
}
