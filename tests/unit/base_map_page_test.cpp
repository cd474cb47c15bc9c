#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "base/map_page.h"
#include "marks/mark_list.h"

namespace fs = std::filesystem;

TEST(BaseMapPage, InstalledPageWinsOverTheBuildCopy)
{
    const fs::path root = fs::temp_directory_path() / ("varnel_map_page_" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path bin = root / "bin";
    fs::create_directories(bin / "map");
    EXPECT_FALSE(FindMapPage(bin));

    std::ofstream(bin / "map" / "index.html") << "x";
    EXPECT_EQ(FindMapPage(bin), bin / "map" / "index.html");

    const fs::path installed = root / "share" / "varnel-link-manager" / "map" / "index.html";
    fs::create_directories(installed.parent_path());
    std::ofstream(installed) << "x";
    EXPECT_EQ(FindMapPage(bin), installed);
    // A folder of that name is not a page.
    fs::remove(installed);
    fs::create_directory(installed);
    EXPECT_EQ(FindMapPage(bin), bin / "map" / "index.html");
    fs::remove_all(root);

#ifdef _WIN32
    EXPECT_EQ(FileUrl("C:/My Maps/map/index.html"), "file:///C:/My%20Maps/map/index.html");
#else
    EXPECT_EQ(FileUrl("/opt/My Maps/map/index.html"), "file:///opt/My%20Maps/map/index.html");
#endif
}

TEST(BaseMapPage, AddressCarriesAltitudesAndTilesEncoded)
{
    CMarkList marks;
    EXPECT_EQ(BuildMapPageAddress(marks, "file:///p", "t"), "");
    marks.AddMark("10.5", "20.25", "1.50");
    marks.AddMark("<b>", "-33.1", "x&y");
    EXPECT_EQ(BuildMapPageAddress(marks, "file:///p", "https://{s}.t/{z}/{x}/{y}.png?k=1"),
              "file:///p?lat0=10.5&lon0=20.25&lat1=%3Cb%3E&lon1=-33.1&alt0=1.50&alt1=x%26y"
              "&tiles=https%3A%2F%2F%7Bs%7D.t%2F%7Bz%7D%2F%7Bx%7D%2F%7By%7D.png%3Fk%3D1");
    EXPECT_EQ(BuildMapPageAddress(marks, "file:///p", "").find("tiles"), std::string::npos);

    // The environment wins over the settings entry, which wins over the default.
    EXPECT_EQ(MapTileTemplate("e", "s"), "e");
    EXPECT_EQ(MapTileTemplate("", "s"), "s");
    EXPECT_EQ(MapTileTemplate(nullptr, ""), DefaultMapTileTemplate);
}

TEST(BaseMapPage, ScriptQueryCarriesEveryTextEncodedUpToTheLimit)
{
    CMarkList marks;
    marks.AddMark("51.5", "-1.25", "100");
    marks.AddMark("1'); alert(1); //", "2&lat9=3", "x y");
    marks.AddMark("3", "4", "5");
    EXPECT_EQ(BuildMapMarksQuery(marks, 2),
              "lat0=51.5&lon0=-1.25&alt0=100&lat1=1%27%29%3B%20alert%281%29%3B%20%2F%2F&lon1=2%26lat9%3D3&alt1=x%20y");
    EXPECT_EQ(BuildMapMarksQuery(marks, 0), "");
    // Enough marks make an address the web view would not load; the script query takes them all.
    CMarkList many;
    for (std::size_t i = 0; i < MaxMapMarks; ++i)
        many.AddMark(std::to_string(i * 1e-6).substr(0, 16), "-1.123456789012", "1234.567890");
    EXPECT_GT(BuildMapPageAddress(many, "file:///p", "t").size(), MaxMapAddressBytes);
    EXPECT_EQ(BuildMapMarksQuery(many, MaxMapMarks).find("lat100000="), std::string::npos);
    EXPECT_NE(BuildMapMarksQuery(many, MaxMapMarks).find("&lat99999="), std::string::npos);
}

// What "Map All" opens without Qt WebEngine: the page beside the program (the zip's and the
// installer's layout), named by an address that leads back to that file, with every mark in it.
TEST(BaseMapPage, AddressNamesThePageBesideTheProgramWithEveryMark)
{
    const fs::path root = fs::temp_directory_path() / ("varnel map page " + std::to_string(::getpid()));
    const fs::path program = root / "Varnel Link Manager";
    fs::create_directories(program / "map");
    std::ofstream(program / "map" / "index.html") << "x";
    const auto page = FindMapPage(program);
    ASSERT_TRUE(page);

    CMarkList marks;
    for (int i = 0; i < 3; ++i)
        marks.AddMark(std::to_string(10 + i) + ".5", std::to_string(-20 - i) + ".25", std::to_string(i));
    const std::string address = BuildMapPageAddress(marks, FileUrl(*page), "");

    std::string file;
    const std::string url = address.substr(0, address.find('?'));
    ASSERT_EQ(url.rfind("file:///", 0), 0u) << url;
    for (std::size_t i = std::string("file://").size(); i < url.size(); ++i) {
        if (url[i] == '%') {
            file += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            file += url[i];
        }
    }
#ifdef _WIN32
    file.erase(0, 1);  // "/C:/..." names C:/...
#endif
    EXPECT_TRUE(fs::equivalent(file, program / "map" / "index.html")) << address;
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i);
        EXPECT_NE(address.find("lat" + n + '=' + std::to_string(10 + i) + ".5&lon" + n + "=-" +
                               std::to_string(20 + i) + ".25"),
                  std::string::npos)
            << address;
    }
    fs::remove_all(root);
}

TEST(BaseMapPage, WebEngineRunsUnlessRootWithItsSandboxOn)
{
    const struct {
        bool Root;
        const char* DisableSandbox;
        const char* Flags;
        bool Runs;
    } cases[] = {
        {false, nullptr, nullptr, true},  {false, "1", nullptr, true},
        {true, nullptr, nullptr, false},  {true, "1", nullptr, true},
        {true, "", nullptr, true},        // set, even empty, as Qt reads it
        {true, nullptr, "--disable-gpu", false}, {true, nullptr, "--disable-gpu --no-sandbox", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WebEngineCanRun(c.Root, c.DisableSandbox, c.Flags), c.Runs)
            << c.Root << " " << (c.DisableSandbox ? c.DisableSandbox : "unset") << " " << (c.Flags ? c.Flags : "");
}

TEST(BaseMapPage, PageTextsFollowTheLanguageAndAreEncoded)
{
    const std::string query = BuildMapTextsQuery(nullptr);
    EXPECT_NE(query.find("t_mark=Mark%20%251"), std::string::npos) << query;
    EXPECT_NE(query.find("&t_lat=Latitude&"), std::string::npos);
    EXPECT_NE(query.find("&t_label=Map%20of%20the%20marks"), std::string::npos);
    EXPECT_EQ(query.find_first_of(" ;/?#"), std::string::npos);
}
