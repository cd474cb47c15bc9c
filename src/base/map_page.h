#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CLanguageModule;
class CMarkList;

// Where the program's own map page lives and what its address carries beyond the marks' positions.

// Whether Qt WebEngine can start in this process: as root Chromium refuses to run with its sandbox
// and ends the process, unless QTWEBENGINE_DISABLE_SANDBOX is set or the Chromium flags carry
// --no-sandbox. The program never sets either itself; without them a root run shows the map in the
// system's browser instead.
bool WebEngineCanRun(bool runningAsRoot, const char* disableSandboxValue, const char* chromiumFlags);
// The same for this process (effective user id and environment).
bool WebEngineCanRunHere();

// The tile service used when neither the environment nor the settings name one.
inline constexpr std::string_view DefaultMapTileTemplate = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
// The environment variable that names the tile address template; it wins over the settings entry.
inline constexpr const char* MapTilesEnvironmentVariable = "VARNEL_MAP_TILES";

// The places an installed or a freshly built program keeps its page, in the order they are tried:
// <exe dir>/../share/varnel-link-manager/map/index.html, then <exe dir>/map/index.html.
std::vector<std::filesystem::path> MapPageCandidates(const std::filesystem::path& executableDir);
// The first candidate that is a regular file.
std::optional<std::filesystem::path> FindMapPage(const std::filesystem::path& executableDir);

// "file://" and the absolute path, every byte outside the unreserved set and "/" percent-encoded.
std::string FileUrl(const std::filesystem::path& path);

// The tile address template: the environment's value if not empty, else the setting's, else the default.
std::string MapTileTemplate(const char* environmentValue, std::string_view settingValue);

// The marks' address (lat/lon pairs as BuildMapAddress gives them), then alt0, alt1, ... for the
// tooltips and, when a template is given, tiles=<template>. Empty for an empty list.
std::string BuildMapPageAddress(const CMarkList& marks, std::string_view serviceUrl, std::string_view tileTemplate);

// The page's own texts in the operator's language, as "t_<name>=<text>" pairs joined by "&"
// (percent-encoded); the page shows its English ones for any it is not given.
std::string BuildMapTextsQuery(const CLanguageModule* language);

// An address longer than this never loads in the web view: the page then takes its marks from the
// view's script interface (varnelMap.start) instead of its address.
inline constexpr std::size_t MaxMapAddressBytes = 2 * 1024 * 1024;
// The most marks the page draws.
inline constexpr std::size_t MaxMapMarks = 100000;

// The marks' part of the page's query (lat<n>, lon<n>, alt<n>, percent-encoded) for at most limit
// marks; safe inside a quoted script text, since it holds only unreserved characters, "%", "&" and "=".
std::string BuildMapMarksQuery(const CMarkList& marks, std::size_t limit);
