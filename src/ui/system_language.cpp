#include "ui/system_language.h"

#include <cctype>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace {

struct SLanguageCode {
    const char* language;
    int primaryId;  // the identifier of the language's default sublanguage
};

struct STerritoryCode {
    const char* language;
    const char* territory;
    int id;
};

const SLanguageCode kLanguages[] = {
    {"ar", 1025}, {"bg", 1026}, {"ca", 1027}, {"cs", 1029}, {"da", 1030}, {"de", 1031},
    {"el", 1032}, {"en", 1033}, {"es", 1034}, {"fi", 1035}, {"fr", 1036}, {"he", 1037},
    {"hu", 1038}, {"is", 1039}, {"it", 1040}, {"ja", 1041}, {"ko", 1042}, {"nl", 1043},
    {"nb", 1044}, {"no", 1044}, {"pl", 1045}, {"pt", 1046}, {"ro", 1048}, {"ru", 1049},
    {"hr", 1050}, {"sk", 1051}, {"sq", 1052}, {"sv", 1053}, {"th", 1054}, {"tr", 1055},
    {"ur", 1056}, {"id", 1057}, {"uk", 1058}, {"be", 1059}, {"sl", 1060}, {"et", 1061},
    {"lv", 1062}, {"lt", 1063}, {"fa", 1065}, {"vi", 1066}, {"hy", 1067}, {"eu", 1069},
    {"mk", 1071}, {"af", 1078}, {"ka", 1079}, {"fo", 1080}, {"hi", 1081}, {"ms", 1086},
    {"kk", 1087}, {"sw", 1089}, {"gl", 1110}, {"zh", 2052}, {"nn", 2068},
};

const STerritoryCode kTerritories[] = {
    {"en", "US", 1033}, {"en", "GB", 2057}, {"en", "AU", 3081}, {"en", "CA", 4105},
    {"en", "NZ", 5129}, {"en", "IE", 6153}, {"en", "ZA", 7177}, {"en", "JM", 8201},
    {"en", "BZ", 10249}, {"en", "TT", 11273}, {"en", "ZW", 12297}, {"en", "PH", 13321},
    {"en", "IN", 16393}, {"en", "MY", 17417}, {"en", "SG", 18441},
    {"es", "ES", 3082}, {"es", "MX", 2058}, {"es", "GT", 4106}, {"es", "CR", 5130},
    {"es", "PA", 6154}, {"es", "DO", 7178}, {"es", "VE", 8202}, {"es", "CO", 9226},
    {"es", "PE", 10250}, {"es", "AR", 11274}, {"es", "EC", 12298}, {"es", "CL", 13322},
    {"es", "UY", 14346}, {"es", "PY", 15370}, {"es", "BO", 16394}, {"es", "SV", 17418},
    {"es", "HN", 18442}, {"es", "NI", 19466}, {"es", "PR", 20490}, {"es", "US", 21514},
    {"de", "DE", 1031}, {"de", "CH", 2055}, {"de", "AT", 3079}, {"de", "LU", 4103},
    {"de", "LI", 5127},
    {"fr", "FR", 1036}, {"fr", "BE", 2060}, {"fr", "CA", 3084}, {"fr", "CH", 4108},
    {"fr", "LU", 5132}, {"fr", "MC", 6156},
    {"nl", "NL", 1043}, {"nl", "BE", 2067},
    {"it", "IT", 1040}, {"it", "CH", 2064},
    {"pt", "BR", 1046}, {"pt", "PT", 2070},
    {"sv", "SE", 1053}, {"sv", "FI", 2077},
    {"ru", "RU", 1049}, {"ru", "MD", 2073},
    {"nb", "NO", 1044}, {"no", "NO", 1044}, {"nn", "NO", 2068},
    {"zh", "TW", 1028}, {"zh", "CN", 2052}, {"zh", "HK", 3076}, {"zh", "SG", 4100},
    {"zh", "MO", 5124},
};

std::string Lower(std::string_view s)
{
    std::string out;
    for (char c : s)
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Upper(std::string_view s)
{
    std::string out;
    for (char c : s)
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::string ReadProcessEnvironment(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

std::string MessagesLocale(const EnvironmentReader& readEnv)
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string value = readEnv(name);
        if (!value.empty())
            return value;
    }
    return {};
}

int LanguageIdFromLocale(std::string_view locale)
{
    // language[_territory][.encoding][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    const std::size_t sep = locale.find_first_of("_-");
    const std::string language = Lower(locale.substr(0, sep));
    const std::string territory = sep == std::string_view::npos ? std::string() : Upper(locale.substr(sep + 1));

    if (language.empty() || language == "c" || language == "posix")
        return LanguageIds::EnglishUs;
    for (const auto& t : kTerritories)
        if (language == t.language && territory == t.territory)
            return t.id;
    for (const auto& l : kLanguages)
        if (language == l.language)
            return l.primaryId;
    return LanguageIds::Unspecified;
}

int SystemDefaultLanguageId(const EnvironmentReader& readEnv)
{
    return LanguageIdFromLocale(MessagesLocale(readEnv));
}

int SystemDefaultLanguageId()
{
#ifdef _WIN32
    return ::GetUserDefaultUILanguage();
#else
    return SystemDefaultLanguageId(ReadProcessEnvironment);
#endif
}
