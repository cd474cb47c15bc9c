#pragma once

#include <string>
#include <string_view>

class CMarkList;

// The map page's address for a set of marks: the service's page, then lat0, lon0, lat1, lon1, ...
// in list order. Mark texts come from files and from the base, so every character outside the URL's
// unreserved set is percent-encoded: a mark cannot add parameters or script to the page.

// The map service's page; one configuration value. Empty (the default) stands for the program's own
// page, which the map dialog locates at run time (FindMapPage in base/map_page.h).
const std::string& MapServiceUrl();
void SetMapServiceUrl(std::string url);

// Empty for an empty list. Leaves the list's shared cursor alone.
std::string BuildMapAddress(const CMarkList& marks, std::string_view serviceUrl);
inline std::string BuildMapAddress(const CMarkList& marks) { return BuildMapAddress(marks, MapServiceUrl()); }

// Letters, digits and "-._~" as they are; every other byte as %XX (upper-case hex).
std::string PercentEncode(std::string_view text);
