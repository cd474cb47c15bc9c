#pragma once

// Marks in and out of other programs' point files: CSV, GPX 1.1, KML 2.2 and GeoJSON.
//
// Export writes each mark as "Mark N" (its place in the list) with its own texts. Import reads the
// points of a file into the list's decimal form through the entry panel's bounds; nothing reaches
// the list until the operator agreed to the summary (CMarkImport::Append).

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "marks/mark.h"

class CMarkList;
class CGridCoordinates;

enum class EExchangeFormat { Csv, Gpx, Kml, GeoJson };

// Why a point was left out; Value is the offending text where there is one.
enum class ESkipReason {
    NoLatitude,
    NoLongitude,
    LatitudeNotNumber,
    LongitudeNotNumber,
    AltitudeNotNumber,
    LatitudeOutOfRange,
    LongitudeOutOfRange,
    AltitudeOutOfRange,
};

struct SSkippedPoint {
    // Line of the file (CSV, GPX, KML) or place of the point among the file's points (GeoJSON).
    std::size_t Line = 0;
    bool ByLine = true;
    ESkipReason Reason = ESkipReason::NoLatitude;
    std::string Value;
};

struct SImportResult {
    std::vector<CMark> Marks;
    // The file's name for each mark (empty when it had none), shown in the summary only.
    std::vector<std::string> Names;
    std::vector<SSkippedPoint> Skipped;
    // Points without an altitude, imported at 0.
    std::size_t MissingAltitude = 0;
};

// One point as a reader found it, before validation. Texts may be D/M/S (CSV) or carry a decimal
// comma (DecimalComma).
struct SRawPoint {
    std::size_t Line = 0;
    std::optional<std::string> Latitude, Longitude, Altitude;
    std::string Name;
    bool DecimalComma = false;
};

// Receives the points in file order.
class CPointSink {
public:
    explicit CPointSink(SImportResult& result, bool byLine = true) : m_Result(result), m_ByLine(byLine) {}
    // Validates and keeps the point, or records why it was skipped.
    void Add(SRawPoint point);

private:
    SImportResult& m_Result;
    bool m_ByLine;
};

namespace MarkExchange {

// Nesting deeper than this is refused in XML and JSON.
constexpr int MaxDepth = 64;

// By the file's extension, any case; nothing for another.
std::optional<EExchangeFormat> FormatFromName(const std::filesystem::path& path);
// By the content first (after a BOM and white space), then by the extension; nothing when neither tells.
std::optional<EExchangeFormat> DetectFormat(std::string_view bytes, const std::filesystem::path& path);
const char* Suffix(EExchangeFormat format);

// Empty when the bytes are UTF-8; else where they stop being ("line 3, byte 17").
std::string Utf8Fault(std::string_view bytes);

// "Mark N": N is numbers[index] when given (the mark's place in the whole list), else index + 1.
std::string MarkName(std::size_t index, const std::vector<std::size_t>& numbers);

// Import and export of marks as text. Readers return false with an error when the file as a whole
// cannot be read (not well-formed, too deep); bad points are only skipped. With a grid (the list's
// grid columns shown), CSV adds "Easting (m)", "Northing (m)" and, for UTM, "Zone" after its own
// columns, empty where a mark does not convert; the reader ignores them. Other formats ignore grid.
std::string WriteCsv(const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers = {}, const CGridCoordinates* grid = nullptr);
std::string WriteGpx(const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers = {});
std::string WriteKml(const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers = {});
std::string WriteGeoJson(const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers = {});
bool ReadCsv(std::string_view text, SImportResult& result, std::string& error);
bool ReadGpx(std::string_view text, SImportResult& result, std::string& error);
bool ReadKml(std::string_view text, SImportResult& result, std::string& error);
bool ReadGeoJson(std::string_view text, SImportResult& result, std::string& error);

std::string Write(EExchangeFormat format, const std::vector<CMark>& marks,
                   const std::vector<std::size_t>& numbers = {}, const CGridCoordinates* grid = nullptr);
// Reads the text of a file in the given format; a UTF-8 byte order mark is dropped, other bytes that
// are not UTF-8 are an error. Errors name the file as `name`.
bool Read(EExchangeFormat format, std::string_view bytes, SImportResult& result, std::string& error,
          const std::string& name);

// The whole round through the file system: at most CMarkFile::MaxFileBytes of a regular file,
// format by content and extension; errors name the file.
bool Import(const std::filesystem::path& path, SImportResult& result, std::string& error);
// Written atomically as Save As writes mark files.
bool Export(const std::filesystem::path& path, EExchangeFormat format, const std::vector<CMark>& marks,
            std::string& error, const std::vector<std::size_t>& numbers = {},
            const CGridCoordinates* grid = nullptr);

// Adds the marks as Open > Append does; returns how many were already listed (and skipped).
std::size_t Append(const SImportResult& result, CMarkList& list);

// A latitude or longitude text as a decimal text: plain decimals stay as they are (a leading "+"
// dropped, a decimal comma made a point when allowed), D/M/S texts such as 52°12'18.5"N or
// "52 12 18.5 N" become six decimals. Nothing when the text is neither.
std::optional<std::string> CoordinateText(std::string_view text, bool longitude, bool decimalComma);

}  // namespace MarkExchange
