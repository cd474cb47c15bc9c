#include "base/map_page.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "base/map_address.h"
#include "marks/base_texts.h"
#include "marks/mark_list.h"
#include "ui/string_table.h"

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

bool WebEngineCanRun(bool runningAsRoot, const char* disableSandboxValue, const char* chromiumFlags)
{
    if (!runningAsRoot)
        return true;
    // Qt takes the variable as set whatever its value, even empty.
    if (disableSandboxValue)
        return true;
    return chromiumFlags && std::strstr(chromiumFlags, "--no-sandbox");
}

bool WebEngineCanRunHere()
{
#if defined(__unix__) || defined(__APPLE__)
    const bool root = ::geteuid() == 0;
#else
    const bool root = false;  // no such refusal elsewhere
#endif
    return WebEngineCanRun(root, std::getenv("QTWEBENGINE_DISABLE_SANDBOX"), std::getenv("QTWEBENGINE_CHROMIUM_FLAGS"));
}

std::vector<fs::path> MapPageCandidates(const fs::path& executableDir)
{
    return {(executableDir / ".." / "share" / "varnel-link-manager" / "map" / "index.html").lexically_normal(),
            (executableDir / "map" / "index.html").lexically_normal()};
}

std::optional<fs::path> FindMapPage(const fs::path& executableDir)
{
    for (const fs::path& candidate : MapPageCandidates(executableDir)) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec))
            return fs::absolute(candidate, ec);
    }
    return std::nullopt;
}

std::string FileUrl(const fs::path& path)
{
    std::string url = "file://";
    std::error_code ec;
    const std::string text = fs::absolute(path, ec).generic_string();
    // A drive path ("C:/...") becomes file:///C:/..., its drive kept as it is.
    if (text.empty() || text.front() != '/')
        url += '/';
    // Encode piece by piece so the separators stay separators.
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t slash = text.find('/', start);
        const std::size_t end = slash == std::string::npos ? text.size() : slash;
        const std::string_view piece = std::string_view(text).substr(start, end - start);
        const bool drive = start == 0 && piece.size() == 2 && piece[1] == ':' &&
                           std::isalpha(static_cast<unsigned char>(piece[0]));
        url += drive ? std::string(piece) : PercentEncode(piece);
        if (slash == std::string::npos)
            break;
        url += '/';
        start = slash + 1;
    }
    return url;
}

std::string MapTileTemplate(const char* environmentValue, std::string_view settingValue)
{
    if (environmentValue && *environmentValue)
        return environmentValue;
    if (!settingValue.empty())
        return std::string(settingValue);
    return std::string(DefaultMapTileTemplate);
}

std::string BuildMapPageAddress(const CMarkList& marks, std::string_view serviceUrl, std::string_view tileTemplate)
{
    std::string address = BuildMapAddress(marks, serviceUrl);
    if (address.empty())
        return address;
    std::size_t n = 0;
    for (const CMark& m : marks)
        address += "&alt" + std::to_string(n++) + '=' + PercentEncode(m.GetAltitude());
    if (!tileTemplate.empty())
        address += "&tiles=" + PercentEncode(tileTemplate);
    return address;
}

std::string BuildMapTextsQuery(const CLanguageModule* language)
{
    const CBaseTexts texts(language);
    const struct {
        const char* Name;
        int Id;
    } entries[] = {
        {"mark", StringIds::MapPageMark},         {"lat", StringIds::Latitude},
        {"lon", StringIds::Longitude},            {"alt", StringIds::Altitude},
        {"noTiles", StringIds::MapPageNoTiles},   {"noLibrary", StringIds::MapPageNoLibrary},
        {"notPlaced", StringIds::MapPageNotPlaced}, {"label", StringIds::MapPageLabel},
    };
    std::string query;
    for (const auto& e : entries) {
        if (!query.empty())
            query += '&';
        query += std::string("t_") + e.Name + '=' + PercentEncode(texts.Text(e.Id));
    }
    return query;
}

std::string BuildMapMarksQuery(const CMarkList& marks, std::size_t limit)
{
    std::string query;
    std::size_t n = 0;
    for (const CMark& m : marks) {
        if (n == limit)
            break;
        const std::string index = std::to_string(n++);
        if (!query.empty())
            query += '&';
        query += "lat" + index + '=' + PercentEncode(m.GetLatitude()) + "&lon" + index + '=' +
                 PercentEncode(m.GetLongitude()) + "&alt" + index + '=' + PercentEncode(m.GetAltitude());
    }
    return query;
}
