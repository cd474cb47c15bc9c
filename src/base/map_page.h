#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CMarkList;

// Where the program's own map page lives and what its address carries beyond the marks' positions.

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
