#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <unistd.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "marks/grid_coordinates.h"
#include "marks/mark_exchange.h"
#include "marks/mark_file.h"
#include "marks/mark_list.h"

namespace fs = std::filesystem;
using namespace MarkExchange;

namespace {

struct SExpected {
    std::vector<CMark> marks;
    std::vector<std::string> names;
    std::size_t missingAltitude = 0;
};

std::string Reasons(const SImportResult& r)
{
    std::string out;
    for (const SSkippedPoint& s : r.Skipped)
        out += std::to_string(s.Line) + ":" + std::to_string(static_cast<int>(s.Reason)) + ":" + s.Value + ";";
    return out;
}

SImportResult ReadOk(EExchangeFormat f, const std::string& text)
{
    SImportResult r;
    std::string error;
    EXPECT_TRUE(Read(f, text, r, error, "f")) << error;
    return r;
}

class MarksExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) / ("varnel_exchange_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

}  // namespace

// Export then import gives the same texts in every format, whatever odd texts the list holds.
TEST_F(MarksExchangeTest, RoundTripsKeepTextsExact)
{
    const std::vector<CMark> marks = {{"52.205139", "-0.119167", "34.5"}, {"07", "-03.50", "0"},
                                      {"-89.999999999", "179.1", "-1999.00"}, {"1.", "+2", "5000"}};
    const std::vector<CMark> imported = {marks[0], marks[1], marks[2], {"1.", "2", "5000"}};
    for (auto f : {EExchangeFormat::Csv, EExchangeFormat::Gpx, EExchangeFormat::Kml, EExchangeFormat::GeoJson}) {
        const fs::path path = dir / (std::string("out.") + Suffix(f));
        std::string error;
        ASSERT_TRUE(Export(path, f, marks, error, {3, 5, 8, 13})) << error;
        SImportResult r;
        ASSERT_TRUE(Import(path, r, error)) << error;
        // "1." is a decimal the list accepts; "+2" loses only its sign.
        EXPECT_EQ(r.Marks, imported) << Suffix(f);
        EXPECT_EQ(r.Names, (std::vector<std::string>{"Mark 3", "Mark 5", "Mark 8", "Mark 13"})) << Suffix(f);
        EXPECT_EQ(Reasons(r), "");
        EXPECT_EQ(r.MissingAltitude, 0u);
    }
    EXPECT_EQ(WriteCsv({marks[0]}), "Name,Latitude,Longitude,Altitude\r\nMark 1,52.205139,-0.119167,34.5\r\n");
    // Only the nearest JSON number goes into the coordinates; the own text rides in the properties.
    EXPECT_NE(WriteGeoJson({marks[1]}).find("\"coordinates\":[-3.5,7,0]"), std::string::npos);
}

// Exported files keep the structure the formats' schemas require (no GPX schema ships with Debian).
TEST(MarksExchange, WrittenFilesFollowTheirSchemas)
{
    const std::vector<CMark> marks = {{"1.5", "2.5", "3"}};
    const std::string gpx = WriteGpx(marks);
    for (const char* part : {"<?xml version=\"1.0\"?>", "<gpx version=\"1.1\" creator=\"Varnel Link Manager\" "
                                                        "xmlns=\"http://www.topografix.com/GPX/1/1\"",
                             "<wpt lat=\"1.5\" lon=\"2.5\">\n    <ele>3</ele>\n    <name>Mark 1</name>\n  </wpt>"})
        EXPECT_NE(gpx.find(part), std::string::npos) << part << "\n" << gpx;
    const std::string kml = WriteKml(marks);
    for (const char* part : {"<kml xmlns=\"http://www.opengis.net/kml/2.2\">", "<Placemark>\n      <name>Mark 1</name>",
                             "<Point>\n        <altitudeMode>absolute</altitudeMode>\n"
                             "        <coordinates>2.5,1.5,3</coordinates>"})
        EXPECT_NE(kml.find(part), std::string::npos) << part << "\n" << kml;
    EXPECT_EQ(WriteGeoJson(marks), "{\"type\":\"FeatureCollection\",\"features\":[\n"
                                   "{\"type\":\"Feature\",\"properties\":{\"name\":\"Mark 1\"},"
                                   "\"geometry\":{\"type\":\"Point\",\"coordinates\":[2.5,1.5,3]}}\n]}\n");
}

// Files as other programs write them.
TEST(MarksExchange, ReadsOtherProgramsConventions)
{
    // Our own export with the list's grid columns: the reader passes over them.
    CGridCoordinates utm;
    const bool haveGrid = utm.SelectUtmAuto(31, false) == EGridError::None;
    const std::string withGrid = WriteCsv({{"0", "3", "10"}, {"85", "3", "0"}}, {}, &utm);
    if (haveGrid) {
        EXPECT_EQ(withGrid, "Name,Latitude,Longitude,Altitude,Easting (m),Northing (m),Zone\r\n"
                            "Mark 1,0,3,10,500000.000,0.000,31N\r\nMark 2,85,3,0,,,\r\n");
    }
    const struct {
        const char* what;
        EExchangeFormat format;
        std::string text;
        SExpected expected;
        std::string skipped;
    } cases[] = {
        {"CSV with BOM, CRLF, quotes, any-case header in another order", EExchangeFormat::Csv,
         "\xEF\xBB\xBFID,\"Name\",LONG,Lat,Height\r\n7,\"Pt, \"\"A\"\"\",13.4,52.5,34\r\n\r\n8,B,-1,-2,\r\n",
         {{{"52.5", "13.4", "34"}, {"-2", "-1", "0"}}, {"Pt, \"A\"", "B"}, 1}, ""},
        {"semicolons with decimal commas, LF, D/M/S", EExchangeFormat::Csv,
         "lat;lng;ele\n52,5;13,25;1,5\n52°12'18.5\"N;0 7 9 W;12\nN 52 30;13 15 E;0\n",
         {{{"52.5", "13.25", "1.5"}, {"52.205139", "-0.119167", "12"}, {"52.500000", "13.250000", "0"}}, {"", "", ""}},
         ""},
        {"tabs without a header: the first numeric columns", EExchangeFormat::Csv,
         "P1\t52.1\t13.2\t40\tx\nP2\t95\t13.2\t40\nP3\t52.1\nP4\tabc\t1\t2\nP5\t1\t2\t9999\n",
         {{{"52.1", "13.2", "40"}}, {""}}, "2:5:95;3:1:;4:2:abc;5:7:9999;"},
        {"a latitude hemisphere on a longitude is no number", EExchangeFormat::Csv, "lat,lon\n1,52 N\n1,2\n",
         {{{"1", "2", "0"}}, {""}, 1}, "2:3:52 N;"},
        {"GPX with a prefix, extensions, routes and a track ignored", EExchangeFormat::Gpx,
         "<?xml version=\"1.0\"?>\r\n<g:gpx xmlns:g=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\">\r\n"
         "<g:wpt lat=\" 52.5 \" lon=\"13.4\"><g:ele>34.0</g:ele><g:name>W</g:name><g:extensions><x:y "
         "xmlns:x=\"u\"/></g:extensions></g:wpt>\r\n<g:rte><g:rtept lat=\"1\" lon=\"2\"/></g:rte>\r\n"
         "<g:wpt lat=\"91\" lon=\"1\"/>\r\n<g:trk><g:trkseg><g:trkpt lat=\"5\" lon=\"6\"/></g:trkseg></g:trk></g:gpx>",
         {{{"52.5", "13.4", "34.0"}, {"1", "2", "0"}}, {"W", ""}, 1}, "5:5:91;"},
        {"GPX with tracks only", EExchangeFormat::Gpx,
         "<gpx><trk><trkseg><trkpt lat=\"5\" lon=\"6\"><ele>7</ele></trkpt></trkseg></trk></gpx>",
         {{{"5", "6", "7"}}, {""}}, ""},
        {"KML with folders, MultiGeometry, spaces and a line", EExchangeFormat::Kml,
         "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document><Folder><Placemark><name>A</name><Point>"
         "<coordinates>\n 13.4,52.5,34 \n</coordinates></Point></Placemark></Folder>\n<Placemark><name>M</name>"
         "<MultiGeometry><Point><coordinates>1,2</coordinates></Point><LineString><coordinates>5,6 7,8"
         "</coordinates></LineString><Point><coordinates>1,200,0</coordinates></Point></MultiGeometry>"
         "</Placemark></Document></kml>",
         {{{"52.5", "13.4", "34"}, {"2", "1", "0"}}, {"A", "M"}, 1}, "4:5:200;"},
        {"GeoJSON with extra properties, MultiPoint and a bad feature", EExchangeFormat::GeoJson,
         "{\"type\":\"FeatureCollection\",\"crs\":{},\"features\":[{\"type\":\"Feature\",\"id\":4,\"properties\":"
         "{\"name\":\"A\",\"colour\":[1,2]},\"geometry\":{\"type\":\"Point\",\"coordinates\":[13.40,52.5,1e2]}},"
         "{\"type\":\"Feature\",\"properties\":null,\"geometry\":{\"type\":\"MultiPoint\",\"coordinates\":"
         "[[1,2],[3,\"x\"]]}},{\"type\":\"Feature\",\"geometry\":null}]}",
         {{{"2", "1", "0"}}, {""}, 1}, "1:4:1e2;3:2:x;"},
        {"a bare Feature", EExchangeFormat::GeoJson,
         "{\"type\":\"Feature\",\"properties\":{\"name\":\"F\"},\"geometry\":{\"type\":\"Point\",\"coordinates\":"
         "[-1.5,2]}}",
         {{{"2", "-1.5", "0"}}, {"F"}, 1}, ""},
        {"a bare Geometry", EExchangeFormat::GeoJson, "{\"coordinates\":[[1,2,3]],\"type\":\"MultiPoint\"}",
         {{{"2", "1", "3"}}, {""}}, ""},
        {"our CSV with grid columns, one mark outside UTM", EExchangeFormat::Csv, withGrid,
         {{{"0", "3", "10"}, {"85", "3", "0"}}, {"Mark 1", "Mark 2"}}, ""},
    };
    for (const auto& c : cases) {
        const SImportResult r = ReadOk(c.format, c.text);
        EXPECT_EQ(r.Marks, c.expected.marks) << c.what;
        EXPECT_EQ(r.Names, c.expected.names) << c.what;
        EXPECT_EQ(r.MissingAltitude, c.expected.missingAltitude) << c.what;
        EXPECT_EQ(Reasons(r), c.skipped) << c.what;
        EXPECT_EQ(DetectFormat(c.text, "no.extension"), c.format) << c.what;
    }
}

// Files meant to hurt: entities, nesting, encodings, sizes and things that are not files.
TEST_F(MarksExchangeTest, HostileFilesAreRefusedOrDefused)
{
    std::string deepXml = "<gpx>";
    for (int i = 0; i < 100; ++i)
        deepXml.insert(5, "<a></a>", 3).append("</a>");
    deepXml += "</gpx>";
    const struct {
        const char* what;
        EExchangeFormat format;
        std::string text;
        std::string error;  // empty: read, with what the check below says
    } cases[] = {
        {"external entity", EExchangeFormat::Gpx,
         "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]>"
         "<gpx><wpt lat=\"1\" lon=\"2\"><name>&xxe;</name></wpt></gpx>",
         ""},
        {"billion laughs", EExchangeFormat::Kml,
         "<!DOCTYPE kml [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><kml><Placemark><name>&c;</name><Point><coordinates>"
         "2,1</coordinates></Point></Placemark></kml>",
         ""},
        {"deep XML", EExchangeFormat::Gpx, deepXml, "Cannot read f: it nests deeper than 64 levels."},
        {"deep JSON", EExchangeFormat::GeoJson, std::string(100000, '['),
         "Cannot read f: it nests deeper than 64 levels."},
        {"broken XML", EExchangeFormat::Kml, "<kml>\n<Placemark>\n</kml>",
         "Cannot read f: the XML is not well-formed (Start-end tags mismatch at line 3)."},
        {"Latin-1", EExchangeFormat::Csv, "lat,lon,name\n1,2,Caf\xE9\n", "f is not UTF-8 text (at line 2, byte 8)."},
        {"overlong UTF-8", EExchangeFormat::GeoJson, "{\"a\":\"\xC0\xAF\"}", "f is not UTF-8 text (at line 1, byte 7)."},
        {"UTF-16", EExchangeFormat::Csv, std::string("\xFF\xFEl\0a\0t\0", 8), "f is not UTF-8 text: it is UTF-16."},
    };
    for (const auto& c : cases) {
        SImportResult r;
        std::string error;
        EXPECT_EQ(Read(c.format, c.text, r, error, "f"), c.error.empty()) << c.what;
        if (!c.error.empty()) {
            EXPECT_EQ(error, c.error) << c.what;
            continue;
        }
        // The entities are left unexpanded and the point still comes in.
        ASSERT_EQ(r.Names.size(), 1u) << c.what;
        EXPECT_EQ(r.Names[0].substr(0, 1), "&") << c.what;
        EXPECT_LT(r.Names[0].size(), 6u) << c.what;
        EXPECT_EQ(r.Marks, (std::vector<CMark>{{"1", "2", "0"}})) << c.what;
    }

#ifndef _WIN32
    ASSERT_EQ(::mkfifo((dir / "fifo.csv").c_str(), 0600), 0);
    fs::create_directories(dir / "folder.gpx");
    {
        std::ofstream big(dir / "big.csv", std::ios::binary);
        big.seekp(static_cast<std::streamoff>(CMarkFile::MaxFileBytes));
        big.put('\0');
    }
    const struct {
        const char* name;
        const char* error;
    } files[] = {
        {"fifo.csv", "fifo.csv is not a point file: it is not a regular file."},
        {"folder.gpx", "folder.gpx is not a point file: it is not a regular file."},
        {"big.csv", "big.csv is too large for a point file (more than 16 MiB)."},
    };
    for (const auto& f : files) {
        SImportResult r;
        std::string error;
        EXPECT_FALSE(Import(dir / f.name, r, error));
        EXPECT_EQ(error, (dir / f.error).string());
    }
#endif
}

// Import appends as Open > Append does: marks already listed stay and are counted.
TEST(MarksExchange, AppendSkipsListedMarks)
{
    CMarkList list;
    list.AddMark("1", "2", "3");
    SImportResult r;
    r.Marks = {{"1", "2", "3"}, {"4", "5", "6"}, {"4", "5", "6"}};
    EXPECT_EQ(Append(r, list), 2u);
    EXPECT_EQ(list.Size(), 2u);
}
