#include "marks/grid_coordinates.h"

#include "marks/text_number.h"
#include "ui/utf8_path.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#ifdef VARNEL_HAVE_PROJ
#include <proj.h>
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
#endif

namespace {

// Beyond any grid on Earth (a northing of false northing plus a pole-to-pole span is ~3e7 m, a
// state plane in feet ~1e8): a typo, not a coordinate.
constexpr double kAbsurdGrid = 1e9;

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string Trimmed(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

bool AllDigits(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool InArea(const SGridSystem& s, double lat, double lon)
{
    if (lat < s.South || lat > s.North)
        return false;
    if (s.West <= s.East)
        return lon >= s.West && lon <= s.East;
    return lon >= s.West || lon <= s.East;  // across the antimeridian
}

std::string UtmCode(int zone, bool south) { return std::to_string((south ? 32700 : 32600) + zone); }

}  // namespace

int UtmZoneFor(double latitude, double longitude)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude))
        return 0;
    // 180° itself belongs to zone 60, as -180° does to zone 1.
    if (longitude == 180.0)
        return 60;
    double lon = std::fmod(longitude + 180.0, 360.0);
    if (lon < 0)
        lon += 360.0;
    int zone = std::min(60, int(lon / 6.0) + 1);
    if (latitude >= 56 && latitude < 64 && longitude >= 3 && longitude < 12)
        zone = 32;  // south-west Norway
    if (latitude >= 72 && latitude < 84 && longitude >= 0 && longitude < 42)
        zone = longitude < 9 ? 31 : longitude < 21 ? 33 : longitude < 33 ? 35 : 37;  // Svalbard
    return zone;
}

std::string UtmZoneText(int zone, bool south) { return std::to_string(zone) + (south ? "S" : "N"); }

std::string AccuracyText(double metres)
{
    if (!(metres >= 0))
        return {};
    std::string t = FixedText(metres, 3);
    while (t.back() == '0')
        t.pop_back();
    if (t.back() == '.')
        t.pop_back();
    return t + " m";
}

std::string GridUnitSymbol(const std::string& unit)
{
    if (unit == "metre")
        return "m";
    if (unit == "US survey foot")
        return "ftUS";
    if (unit == "foot")
        return "ft";
    return unit;
}

SGridColumns GridColumns(const CGridCoordinates& grid, const std::string& latitude, const std::string& longitude)
{
    SGridColumns c;
    const SGridResult r = grid.ToGrid(TextToDouble(latitude), TextToDouble(longitude), false);
    if (!r.Ok())
        return c;
    c.Easting = FixedText(r.X, 3);
    c.Northing = FixedText(r.Y, 3);
    if (r.UtmZone)
        c.Zone = UtmZoneText(r.UtmZone, r.UtmSouth);
    return c;
}

#ifdef VARNEL_HAVE_PROJ

namespace {

struct SPjDeleter {
    void operator()(PJ* p) const { proj_destroy(p); }
};
using PjPtr = std::unique_ptr<PJ, SPjDeleter>;

}  // namespace

struct CGridCoordinates::SImpl
{
    PJ_CONTEXT* Context = nullptr;
    bool HaveDatabase = false;
    bool OwnDatum = false;
    bool Selected = false;
    SGridSystem System;
    PjPtr Crs;
    // WGS 84 (or the own datum) to the grid, easting/northing order; one per UTM zone in auto mode.
    mutable std::map<std::string, PjPtr> Operations;
    mutable std::vector<SGridSystem> Catalogue;  // every projected system, read on the first search

    ~SImpl()
    {
        Operations.clear();
        Crs.reset();
        proj_context_destroy(Context);
    }

    PjPtr CreateCrs(const std::string& code) const
    {
        return PjPtr(proj_create_from_database(Context, "EPSG", code.c_str(), PJ_CATEGORY_CRS, 0, nullptr));
    }

    // The operation to the grid with this code, made once.
    PJ* Operation(const std::string& code) const
    {
        auto it = Operations.find(code);
        if (it != Operations.end())
            return it->second.get();
        PjPtr crs = code == System.Code ? nullptr : CreateCrs(code);
        const PJ* target = crs ? crs.get() : Crs.get();
        PjPtr source;
        if (OwnDatum)
            source.reset(proj_crs_get_geodetic_crs(Context, target));
        else
            source = CreateCrs("4326");
        PjPtr op;
        if (source && target)
            op.reset(proj_create_crs_to_crs_from_pj(Context, source.get(), target, nullptr, nullptr));
        PjPtr normalised;
        if (op)
            normalised.reset(proj_normalize_for_visualization(Context, op.get()));
        return Operations.emplace(code, std::move(normalised)).first->second.get();
    }

    EGridError Ready() const
    {
        return !HaveDatabase ? EGridError::NoDatabase : !Selected ? EGridError::NoSystem : EGridError::None;
    }

    // One point through the operation to the grid with this code; false (and r.Error) when it fails.
    bool Convert(const std::string& code, PJ_DIRECTION direction, double x, double y, bool describe,
                 SGridResult& r) const
    {
        PJ* op = Operation(code);
        const PJ_COORD out = op ? proj_trans(op, direction, proj_coord(x, y, 0, 0)) : proj_coord(HUGE_VAL, 0, 0, 0);
        if (!std::isfinite(out.xy.x) || !std::isfinite(out.xy.y) || out.xy.x == HUGE_VAL) {
            r.Error = EGridError::ConversionFailed;
            return false;
        }
        r.X = out.xy.x;
        r.Y = out.xy.y;
        if (describe)
            r.Transformation = Describe(op);
        return true;
    }

    SGridTransformation Describe(PJ* op) const
    {
        SGridTransformation t;
        PjPtr used(proj_trans_get_last_used_operation(op));
        const PJ* o = used ? used.get() : op;
        if (const char* name = proj_get_name(o))
            t.Name = name;
        // The swap to easting-first order is ours, not part of the conversion the operator cares about.
        for (const std::string prefix : {"axis order change (2D) + ", "axis order change (geographic2D) + "})
            if (t.Name.rfind(prefix, 0) == 0)
                t.Name.erase(0, prefix.size());
        t.AccuracyMetres = proj_coordoperation_get_accuracy(Context, o);
        t.Ballpark = proj_coordoperation_has_ballpark_transformation(Context, o) != 0;
        return t;
    }
};

namespace {

// Only the listed folders are searched then: a Windows PROJ would otherwise also try the folder it
// was built into, which may exist on the build machine and hide a proj.db missing from the package.
std::vector<std::string> DefaultSearchPaths()
{
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    // PROJ takes UTF-8 file names on Windows too.
    return {PathToUtf8(std::filesystem::path(path).parent_path())};
#else
    return {};
#endif
}

}  // namespace

CGridCoordinates::CGridCoordinates(const std::vector<std::string>& searchPaths) : m_Impl(std::make_unique<SImpl>())
{
    m_Impl->Context = proj_context_create();
    proj_log_level(m_Impl->Context, PJ_LOG_NONE);
    // Grids come from the package (or the zip); never from the network behind the operator's back.
    proj_context_set_enable_network(m_Impl->Context, 0);
    const std::vector<std::string> folders = searchPaths.empty() ? DefaultSearchPaths() : searchPaths;
    if (!folders.empty()) {
        std::vector<const char*> paths;
        for (const std::string& p : folders)
            paths.push_back(p.c_str());
        proj_context_set_search_paths(m_Impl->Context, int(paths.size()), paths.data());
    }
    // proj.db opens lazily; ask for WGS 84 once to know whether it is there.
    m_Impl->HaveDatabase = m_Impl->CreateCrs("4326") != nullptr;
}

CGridCoordinates::~CGridCoordinates() = default;

bool CGridCoordinates::Available() { return true; }

EGridError CGridCoordinates::State() const
{
    return m_Impl->HaveDatabase ? EGridError::None : EGridError::NoDatabase;
}

std::vector<SGridSystem> CGridCoordinates::Search(const std::string& text, std::size_t limit) const
{
    if (!m_Impl->HaveDatabase)
        return {};
    if (m_Impl->Catalogue.empty()) {
        PROJ_CRS_LIST_PARAMETERS* params = proj_get_crs_list_parameters_create();
        const PJ_TYPE type = PJ_TYPE_PROJECTED_CRS;
        params->types = &type;
        params->typesCount = 1;
        int count = 0;
        PROJ_CRS_INFO** list = proj_get_crs_info_list_from_database(m_Impl->Context, "EPSG", params, &count);
        proj_get_crs_list_parameters_destroy(params);
        for (int i = 0; list && i < count; ++i) {
            const PROJ_CRS_INFO* info = list[i];
            SGridSystem s;
            s.Authority = info->auth_name ? info->auth_name : "";
            s.Code = info->code ? info->code : "";
            s.Name = info->name ? info->name : "";
            s.AreaName = info->area_name ? info->area_name : "";
            if (info->bbox_valid) {
                s.West = info->west_lon_degree;
                s.South = info->south_lat_degree;
                s.East = info->east_lon_degree;
                s.North = info->north_lat_degree;
            }
            s.Unit.clear();  // known once chosen
            m_Impl->Catalogue.push_back(std::move(s));
        }
        proj_crs_info_list_destroy(list);
    }
    std::string wanted = Lower(Trimmed(text));
    if (wanted.rfind("epsg:", 0) == 0)
        wanted = wanted.substr(5);
    std::vector<SGridSystem> found;
    if (wanted.empty())
        return found;
    const bool code = AllDigits(wanted);
    for (const SGridSystem& s : m_Impl->Catalogue) {
        const bool match = code ? s.Code.rfind(wanted, 0) == 0 : Lower(s.Name).find(wanted) != std::string::npos;
        if (!match)
            continue;
        if (code && s.Code == wanted)
            found.insert(found.begin(), s);
        else
            found.push_back(s);
    }
    if (found.size() > limit)
        found.resize(limit);
    return found;
}

EGridError CGridCoordinates::Select(const std::string& codeOrName)
{
    if (!m_Impl->HaveDatabase)
        return EGridError::NoDatabase;
    std::string code = Trimmed(codeOrName);
    if (Lower(code).rfind("epsg:", 0) == 0)
        code = Trimmed(code.substr(5));
    if (!AllDigits(code)) {
        const std::string wanted = Lower(code);
        const std::vector<SGridSystem> found = Search(code, 1000);
        auto exact = std::find_if(found.begin(), found.end(), [&](const SGridSystem& s) { return Lower(s.Name) == wanted; });
        if (exact != found.end())
            code = exact->Code;
        else if (found.size() == 1)
            code = found.front().Code;
        else
            return EGridError::UnknownSystem;
    }
    PjPtr crs = m_Impl->CreateCrs(code);
    if (!crs)
        return EGridError::UnknownSystem;
    if (proj_get_type(crs.get()) != PJ_TYPE_PROJECTED_CRS)
        return EGridError::NotProjected;

    SGridSystem s;
    s.Authority = "EPSG";
    s.Code = code;
    if (const char* name = proj_get_name(crs.get()))
        s.Name = name;
    const char* area = nullptr;
    double w = 0, so = 0, e = 0, n = 0;
    if (proj_get_area_of_use(m_Impl->Context, crs.get(), &w, &so, &e, &n, &area) && w > -1000) {
        s.West = w;
        s.South = so;
        s.East = e;
        s.North = n;
        s.AreaName = area ? area : "";
    }
    PjPtr cs(proj_crs_get_coordinate_system(m_Impl->Context, crs.get()));
    const char* unit = nullptr;
    if (cs && proj_cs_get_axis_info(m_Impl->Context, cs.get(), 0, nullptr, nullptr, nullptr, nullptr, &unit, nullptr,
                                    nullptr) &&
        unit)
        s.Unit = unit;
    const int number = TextToInt(code);
    if ((number > 32600 && number <= 32660) || (number > 32700 && number <= 32760)) {
        s.UtmZone = number % 100;
        s.UtmSouth = number > 32700;
    }

    m_Impl->Operations.clear();
    m_Impl->Crs = std::move(crs);
    m_Impl->System = std::move(s);
    m_Impl->Selected = true;
    return EGridError::None;
}

EGridError CGridCoordinates::SelectUtm(int zone, bool south)
{
    if (zone < 1 || zone > 60)
        return EGridError::UnknownSystem;
    return Select(UtmCode(zone, south));
}

EGridError CGridCoordinates::SelectUtmAuto(int zone, bool south)
{
    const EGridError e = SelectUtm(zone, south);
    if (e == EGridError::None) {
        m_Impl->System.UtmAuto = true;
        m_Impl->System.West = -180;
        m_Impl->System.East = 180;
        m_Impl->System.South = -80;
        m_Impl->System.North = 84;
    }
    return e;
}

const SGridSystem& CGridCoordinates::System() const { return m_Impl->System; }
bool CGridCoordinates::HasSystem() const { return m_Impl->Selected; }

void CGridCoordinates::SetOwnDatum(bool own)
{
    m_Impl->OwnDatum = own;
    m_Impl->Operations.clear();
}

SGridResult CGridCoordinates::ToGrid(double latitude, double longitude, bool describe) const
{
    SGridResult r;
    const SGridSystem& s = m_Impl->System;
    r.Error = m_Impl->Ready();
    if (!r.Ok())
        return r;
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90 ||
        std::fabs(longitude) > 180)
        r.Error = EGridError::InvalidValue;
    else if (!InArea(s, latitude, longitude))
        r.Error = EGridError::OutsideArea;
    if (!r.Ok())
        return r;

    std::string code = s.Code;
    r.UtmZone = s.UtmZone;
    r.UtmSouth = s.UtmSouth;
    if (s.UtmAuto) {
        r.UtmZone = UtmZoneFor(latitude, longitude);
        r.UtmSouth = latitude < 0;
        code = UtmCode(r.UtmZone, r.UtmSouth);
    }
    m_Impl->Convert(code, PJ_FWD, longitude, latitude, describe, r);
    return r;
}

SGridResult CGridCoordinates::ToGeographic(double easting, double northing) const
{
    SGridResult r;
    const SGridSystem& s = m_Impl->System;
    r.Error = m_Impl->Ready();
    if (!r.Ok())
        return r;
    if (!std::isfinite(easting) || !std::isfinite(northing) || std::fabs(easting) > kAbsurdGrid ||
        std::fabs(northing) > kAbsurdGrid)
        r.Error = EGridError::InvalidValue;
    if (!r.Ok())
        return r;
    r.UtmZone = s.UtmZone;
    r.UtmSouth = s.UtmSouth;
    if (!m_Impl->Convert(s.Code, PJ_INV, easting, northing, true, r))
        return r;
    // The zone actually used, not the whole globe an automatic UTM choice allows.
    SGridSystem area = s;
    if (s.UtmAuto) {
        area.West = -186 + 6 * s.UtmZone;
        area.East = area.West + 6;
        area.South = s.UtmSouth ? -80 : 0;
        area.North = s.UtmSouth ? 0 : 84;
    }
    if (std::fabs(r.Y) > 90 || !InArea(area, r.Y, r.X))
        r.Error = EGridError::OutsideArea;
    return r;
}

SGridTransformation CGridCoordinates::Transformation() const
{
    if (!m_Impl->Selected)
        return {};
    const SGridSystem& s = m_Impl->System;
    double lon = (s.West + s.East) / 2;
    if (s.West > s.East)
        lon = std::remainder(lon + 180, 360);
    const double lat = (s.South + s.North) / 2;
    SGridResult r = ToGrid(lat, s.UtmAuto ? -183 + 6 * s.UtmZone : lon);
    if (!r.Ok())
        return {};
    return r.Transformation;
}

#else  // no PROJ in this build

struct CGridCoordinates::SImpl
{
    SGridSystem System;
};

CGridCoordinates::CGridCoordinates(const std::vector<std::string>&) : m_Impl(std::make_unique<SImpl>()) {}
CGridCoordinates::~CGridCoordinates() = default;
bool CGridCoordinates::Available() { return false; }
EGridError CGridCoordinates::State() const { return EGridError::NotAvailable; }
std::vector<SGridSystem> CGridCoordinates::Search(const std::string&, std::size_t) const { return {}; }
EGridError CGridCoordinates::Select(const std::string&) { return EGridError::NotAvailable; }
EGridError CGridCoordinates::SelectUtm(int, bool) { return EGridError::NotAvailable; }
EGridError CGridCoordinates::SelectUtmAuto(int, bool) { return EGridError::NotAvailable; }
const SGridSystem& CGridCoordinates::System() const { return m_Impl->System; }
bool CGridCoordinates::HasSystem() const { return false; }
void CGridCoordinates::SetOwnDatum(bool) {}
SGridResult CGridCoordinates::ToGrid(double, double, bool) const { return SGridResult::Failure(EGridError::NotAvailable); }
SGridResult CGridCoordinates::ToGeographic(double, double) const { return SGridResult::Failure(EGridError::NotAvailable); }
SGridTransformation CGridCoordinates::Transformation() const { return {}; }

#endif
