#include "marks/mark_exchange.h"

#include <algorithm>
#include <cctype>

#include "ui/utf8_path.h"
#include "marks/coordinate_conversion.h"
#include "marks/coordinate_validators.h"
#include "marks/mark_file.h"
#include "marks/mark_list.h"
#include "marks/text_number.h"

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A plain decimal as the list keeps it: "+" dropped, a decimal comma made a point when allowed.
std::optional<std::string> DecimalText(std::string_view text, bool decimalComma)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::string out(text);
    if (decimalComma)
        std::replace(out.begin(), out.end(), ',', '.');
    if (!IsDecimalNumber(out))
        return std::nullopt;
    return out;
}

bool IsSeparator(std::string_view s, std::size_t& length)
{
    static constexpr std::string_view marks[] = {"\xC2\xB0", "\xC2\xBA", "\xE2\x80\xB2", "\xE2\x80\xB3",
                                                 "\xE2\x80\x99", "\xE2\x80\x9D", "'", "\"", ":", " ", "\t"};
    for (std::string_view m : marks)
        if (s.substr(0, m.size()) == m) {
            length = m.size();
            return true;
        }
    return false;
}

// 52°12'18.5"N, 52 12 18.5 N, N52 12.5, -52:12:18.5: one to three numbers with a hemisphere letter
// or a sign.
std::optional<std::string> DmsText(std::string_view text, bool longitude, bool decimalComma)
{
    text = Trim(text);
    if (text.empty())
        return std::nullopt;
    bool negative = false;
    char hemisphere = 0;
    auto takeHemisphere = [&](char c) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (c == 'N' || c == 'S' || c == 'E' || c == 'W') {
            hemisphere = c;
            return true;
        }
        return false;
    };
    if (takeHemisphere(text.front()))
        text = Trim(text.substr(1));
    else if (takeHemisphere(text.back()))
        text = Trim(text.substr(0, text.size() - 1));
    if (hemisphere) {
        if ((hemisphere == 'N' || hemisphere == 'S') == longitude)
            return std::nullopt;
        negative = hemisphere == 'S' || hemisphere == 'W';
    }
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        if (hemisphere)
            return std::nullopt;
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::vector<std::string> groups;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t length = 0;
        if (IsSeparator(text.substr(i), length)) {
            i += length;
            continue;
        }
        std::string group;
        while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.' ||
                                   (decimalComma && text[i] == ','))) {
            group += text[i] == ',' ? '.' : text[i];
            ++i;
        }
        if (group.empty() || !IsDecimalNumber(group) || groups.size() == 3)
            return std::nullopt;
        groups.push_back(group);
    }
    if (groups.empty())
        return std::nullopt;
    const std::string sign = negative ? "-" : "";
    if (groups.size() == 1)
        return sign + groups[0];
    // Only the last number may have a fraction; minutes and seconds stay below 60.
    for (std::size_t g = 0; g + 1 < groups.size(); ++g)
        if (groups[g].find('.') != std::string::npos)
            return std::nullopt;
    const double minutes = TextToDouble(groups[1]);
    const double seconds = groups.size() == 3 ? TextToDouble(groups[2]) : (minutes - TextToInt(groups[1])) * 60.0;
    if (minutes >= 60.0 || seconds >= 60.0)
        return std::nullopt;
    return DmsToDecimal(sign + groups[0], std::to_string(TextToInt(groups[1])), FixedText(seconds, 9), longitude);
}

bool OutOfRange(CEditValidate&& validator, const std::string& text)
{
    // The validator pads a one-character text; the imported text stays as the file had it.
    std::string copy = text;
    return !validator.Validate(copy).empty();
}

std::size_t SkipBom(std::string_view bytes)
{
    return bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

// The local name of the document's first element, when the text is XML.
std::string RootElementName(std::string_view text)
{
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos && at < 65536) {
        const std::string_view rest = text.substr(at + 1);
        if (rest.substr(0, 3) == "!--") {
            const std::size_t end = text.find("-->", at);
            if (end == std::string_view::npos)
                return {};
            at = end + 3;
            continue;
        }
        if (!rest.empty() && (rest.front() == '?' || rest.front() == '!')) {
            ++at;
            continue;
        }
        std::size_t n = 0;
        while (n < rest.size() && !std::isspace(static_cast<unsigned char>(rest[n])) && rest[n] != '>' &&
               rest[n] != '/')
            ++n;
        std::string name = Lower(rest.substr(0, n));
        const std::size_t colon = name.rfind(':');
        return colon == std::string::npos ? name : name.substr(colon + 1);
    }
    return {};
}

}  // namespace

void CPointSink::Add(SRawPoint point)
{
    auto skip = [&](ESkipReason reason, std::string value) {
        m_Result.Skipped.push_back({point.Line, m_ByLine, reason, std::move(value)});
    };
    auto present = [](const std::optional<std::string>& t) { return t && !Trim(*t).empty(); };
    if (!present(point.Latitude))
        return skip(ESkipReason::NoLatitude, {});
    if (!present(point.Longitude))
        return skip(ESkipReason::NoLongitude, {});
    const auto lat = MarkExchange::CoordinateText(*point.Latitude, false, point.DecimalComma);
    if (!lat)
        return skip(ESkipReason::LatitudeNotNumber, std::string(Trim(*point.Latitude)));
    const auto lon = MarkExchange::CoordinateText(*point.Longitude, true, point.DecimalComma);
    if (!lon)
        return skip(ESkipReason::LongitudeNotNumber, std::string(Trim(*point.Longitude)));
    if (OutOfRange(CDecimalLatValidate(), *lat))
        return skip(ESkipReason::LatitudeOutOfRange, *lat);
    if (OutOfRange(CDecimalLonValidate(), *lon))
        return skip(ESkipReason::LongitudeOutOfRange, *lon);
    std::string alt = "0";
    const bool missingAltitude = !present(point.Altitude);
    if (!missingAltitude) {
        const auto text = DecimalText(*point.Altitude, point.DecimalComma);
        if (!text)
            return skip(ESkipReason::AltitudeNotNumber, std::string(Trim(*point.Altitude)));
        if (OutOfRange(CDecimalAltValidate(), *text))
            return skip(ESkipReason::AltitudeOutOfRange, *text);
        alt = *text;
    }
    // The same rule as the entry panel's Add, so nothing gets in that could not be typed.
    if (!CanAddMark(*lat, *lon, alt))
        return skip(ESkipReason::LatitudeOutOfRange, *lat);
    if (missingAltitude)
        ++m_Result.MissingAltitude;
    m_Result.Marks.emplace_back(*lat, *lon, alt);
    m_Result.Names.push_back(std::move(point.Name));
}

namespace MarkExchange {

std::optional<std::string> CoordinateText(std::string_view text, bool longitude, bool decimalComma)
{
    if (auto decimal = DecimalText(text, decimalComma))
        return decimal;
    return DmsText(text, longitude, decimalComma);
}

const char* Suffix(EExchangeFormat format)
{
    switch (format) {
    case EExchangeFormat::Csv: return "csv";
    case EExchangeFormat::Gpx: return "gpx";
    case EExchangeFormat::Kml: return "kml";
    case EExchangeFormat::GeoJson: return "geojson";
    }
    return "csv";
}

std::optional<EExchangeFormat> FormatFromName(const std::filesystem::path& path)
{
    const std::string ext = Lower(PathToUtf8(path.extension()));
    if (ext == ".csv" || ext == ".txt")
        return EExchangeFormat::Csv;
    if (ext == ".gpx")
        return EExchangeFormat::Gpx;
    if (ext == ".kml")
        return EExchangeFormat::Kml;
    if (ext == ".geojson" || ext == ".json")
        return EExchangeFormat::GeoJson;
    return std::nullopt;
}

std::optional<EExchangeFormat> DetectFormat(std::string_view bytes, const std::filesystem::path& path)
{
    const std::string_view text = Trim(bytes.substr(SkipBom(bytes)));
    const auto byName = FormatFromName(path);
    if (!text.empty() && text.front() == '<') {
        const std::string root = RootElementName(text);
        if (root == "gpx")
            return EExchangeFormat::Gpx;
        if (root == "kml")
            return EExchangeFormat::Kml;
        if (byName == EExchangeFormat::Gpx || byName == EExchangeFormat::Kml)
            return byName;
        return std::nullopt;
    }
    if (!text.empty() && (text.front() == '{' || text.front() == '['))
        return EExchangeFormat::GeoJson;
    // Any other text is read as rows.
    return EExchangeFormat::Csv;
}

std::string Utf8Fault(std::string_view bytes)
{
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            if (c == '\n') {
                ++line;
                lineStart = i + 1;
            }
            ++i;
            continue;
        }
        std::size_t n = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 1;
            cp = c & 0x1F;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            cp = c & 0x0F;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            cp = c & 0x07;
            min = 0x10000;
        }
        bool ok = n > 0;
        for (std::size_t k = 1; ok && k <= n; ++k) {
            if (i + k >= bytes.size() || (static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return "line " + std::to_string(line) + ", byte " + std::to_string(i - lineStart + 1);
        i += n + 1;
    }
    return {};
}

std::string MarkName(std::size_t index, const std::vector<std::size_t>& numbers)
{
    return "Mark " + std::to_string(index < numbers.size() ? numbers[index] : index + 1);
}

std::string Write(EExchangeFormat format, const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers, const CGridCoordinates* grid)
{
    switch (format) {
    case EExchangeFormat::Csv: return WriteCsv(marks, numbers, grid);
    case EExchangeFormat::Gpx: return WriteGpx(marks, numbers);
    case EExchangeFormat::Kml: return WriteKml(marks, numbers);
    case EExchangeFormat::GeoJson: return WriteGeoJson(marks, numbers);
    }
    return {};
}

bool Read(EExchangeFormat format, std::string_view bytes, SImportResult& result, std::string& error,
          const std::string& name)
{
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        error = name + " is not UTF-8 text: it is UTF-16.";
        return false;
    }
    const std::string_view text = bytes.substr(SkipBom(bytes));
    if (const std::string fault = Utf8Fault(text); !fault.empty()) {
        error = name + " is not UTF-8 text (at " + fault + ").";
        return false;
    }
    SImportResult read;
    std::string fault;
    bool ok = false;
    switch (format) {
    case EExchangeFormat::Csv: ok = ReadCsv(text, read, fault); break;
    case EExchangeFormat::Gpx: ok = ReadGpx(text, read, fault); break;
    case EExchangeFormat::Kml: ok = ReadKml(text, read, fault); break;
    case EExchangeFormat::GeoJson: ok = ReadGeoJson(text, read, fault); break;
    }
    if (!ok) {
        error = "Cannot read " + name + ": " + fault + ".";
        return false;
    }
    result = std::move(read);
    return true;
}

bool Import(const std::filesystem::path& path, SImportResult& result, std::string& error)
{
    std::string bytes;
    if (!CMarkFile::ReadBytes(path, bytes, error, "a point file"))
        return false;
    const std::string name = PathToUtf8(path);
    const auto format = DetectFormat(bytes, path);
    if (!format) {
        error = name + " is neither CSV, GPX, KML nor GeoJSON.";
        return false;
    }
    return Read(*format, bytes, result, error, name);
}

bool Export(const std::filesystem::path& path, EExchangeFormat format, const std::vector<CMark>& marks,
            std::string& error, const std::vector<std::size_t>& numbers, const CGridCoordinates* grid)
{
    return CMarkFile::WriteAtomically(path, Write(format, marks, numbers, grid), error);
}

std::size_t Append(const SImportResult& result, CMarkList& list)
{
    std::size_t listed = 0;
    for (const CMark& m : result.Marks)
        if (!list.AddMark(m.GetLatitude(), m.GetLongitude(), m.GetAltitude()))
            ++listed;
    return listed;
}

}  // namespace MarkExchange
