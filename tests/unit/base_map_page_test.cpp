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
