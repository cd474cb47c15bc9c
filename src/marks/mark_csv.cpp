// Point rows (RFC 4180): written with a header, CR LF and a point as decimal separator; read with
// the separator, the header and the columns found from the file itself.

#include <algorithm>
#include <array>
#include <cctype>

#include "marks/grid_coordinates.h"
#include "marks/mark_exchange.h"

namespace {

void AppendField(std::string& out, const std::string& field)
{
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// The separator the first line uses most outside quotes; a tie goes to tab, then semicolon, as a
// file with decimal commas holds commas too.
char DetectSeparator(std::string_view text)
{
    std::array<std::size_t, 3> counts{};
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted)
            counts[c == '\t' ? 0 : c == ';' ? 1 : c == ',' ? 2 : 0] += (c == '\t' || c == ';' || c == ',');
    }
    if (counts[0] && counts[0] >= counts[1] && counts[0] >= counts[2])
        return '\t';
    if (counts[1] && counts[1] >= counts[2])
        return ';';
    return ',';
}

// Splits one record off the front of text; quoted fields may hold separators, quotes and line ends.
// lines: how many line ends the record used.
bool NextRecord(std::string_view& text, char separator, std::vector<std::string>& fields, std::size_t& lines)
{
    fields.clear();
    lines = 0;
    if (text.empty())
        return false;
    std::string field;
    bool quoted = false, wasQuoted = false;
    std::size_t i = 0;
    auto finish = [&] {
        if (!wasQuoted) {
            std::size_t b = 0, e = field.size();
            while (b < e && (field[b] == ' ' || field[b] == '\t'))
                ++b;
            while (e > b && (field[e - 1] == ' ' || field[e - 1] == '\t'))
                --e;
            field = field.substr(b, e - b);
        }
        fields.push_back(std::move(field));
        field.clear();
        wasQuoted = false;
    };
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n')
                    ++lines;
                field += c;
            }
        } else if (c == '"' && std::all_of(field.begin(), field.end(), [](char f) { return f == ' '; })) {
            field.clear();
            quoted = wasQuoted = true;
        } else if (c == separator) {
            finish();
        } else if (c == '\n' || c == '\r') {
            break;
        } else {
            field += c;
        }
    }
    finish();
    if (i < text.size() && text[i] == '\r')
        ++i;
    if (i < text.size() && text[i] == '\n')
        ++i;
    ++lines;
    text.remove_prefix(i);
    return true;
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (name == n)
            return true;
    return false;
}

std::string LowerTrim(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (c != ' ')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

namespace MarkExchange {

std::string WriteCsv(const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers, const CGridCoordinates* grid)
{
    // The grid names end in their unit, so no reader takes them for a latitude or an altitude.
    const bool zone = grid && grid->HasSystem() && grid->System().IsUtm();
    std::string out = "Name,Latitude,Longitude,Altitude";
    if (grid) {
        const std::string unit = grid->HasSystem() ? " (" + GridUnitSymbol(grid->System().Unit) + ")" : "";
        out += ",Easting" + unit + ",Northing" + unit;
        if (zone)
            out += ",Zone";
    }
    out += "\r\n";
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const CMark& m = marks[i];
        out += MarkName(i, numbers) + ',';
        AppendField(out, m.GetLatitude());
        out += ',';
        AppendField(out, m.GetLongitude());
        out += ',';
        AppendField(out, m.GetAltitude());
        if (grid) {
            const SGridColumns g = GridColumns(*grid, m.GetLatitude(), m.GetLongitude());
            out += ',' + g.Easting + ',' + g.Northing;
            if (zone)
                out += ',' + g.Zone;
        }
        out += "\r\n";
    }
    return out;
}

bool ReadCsv(std::string_view text, SImportResult& result, std::string& error)
{
    (void)error;
    const char separator = DetectSeparator(text);
    const bool decimalComma = separator != ',';
    constexpr std::size_t None = static_cast<std::size_t>(-1);
    std::size_t latCol = None, lonCol = None, altCol = None, nameCol = None;
    bool columnsKnown = false, headerSeen = false;
    CPointSink sink(result);
    std::vector<std::string> fields;
    std::size_t line = 1, used = 0;
    auto isNumber = [&](const std::string& f, bool longitude) {
        return !f.empty() && CoordinateText(f, longitude, decimalComma).has_value();
    };
    for (; NextRecord(text, separator, fields, used); line += used) {
        if (std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return f.empty(); }))
            continue;
        if (!columnsKnown) {
            for (std::size_t c = 0; c < fields.size(); ++c) {
                const std::string name = LowerTrim(fields[c]);
                if (latCol == None && IsOneOf(name, {"lat", "latitude"}))
                    latCol = c;
                else if (lonCol == None && IsOneOf(name, {"lon", "long", "lng", "longitude"}))
                    lonCol = c;
                else if (altCol == None && IsOneOf(name, {"alt", "altitude", "height", "elevation", "ele", "h"}))
                    altCol = c;
                else if (nameCol == None && name == "name")
                    nameCol = c;
            }
            if (latCol != None || lonCol != None) {
                columnsKnown = true;
                continue;
            }
            // A first row without numbers is a header whose columns are not named as ours.
            if (!headerSeen && std::none_of(fields.begin(), fields.end(),
                                            [&](const std::string& f) { return isNumber(f, false); })) {
                headerSeen = true;
                continue;
            }
            // Otherwise the first three numeric columns of the first data row.
            std::size_t found = 0;
            for (std::size_t c = 0; c < fields.size() && found < 3; ++c)
                if (isNumber(fields[c], found == 1))
                    (found == 0 ? latCol : found == 1 ? lonCol : altCol) = c, ++found;
            columnsKnown = true;
        }
        SRawPoint point;
        point.Line = line;
        point.DecimalComma = decimalComma;
        auto take = [&](std::size_t c) -> std::optional<std::string> {
            if (c < fields.size())
                return std::move(fields[c]);
            return std::nullopt;
        };
        if (nameCol != None && nameCol < fields.size())
            point.Name = fields[nameCol];
        point.Latitude = take(latCol);
        point.Longitude = take(lonCol);
        point.Altitude = take(altCol);
        sink.Add(std::move(point));
    }
    return true;
}

}  // namespace MarkExchange
