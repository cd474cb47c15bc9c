#include "gnss/gnss_texts.h"

#include <algorithm>
#include <chrono>

#include "marks/text_number.h"
#include "ui/language_module.h"
#include "ui/string_table.h"

namespace S = StringIds;

std::string CGnssTexts::Text(int id) const
{
    return m_Language ? m_Language->LoadText(id) : std::string(BuiltInStringText(id));
}

std::string CGnssTexts::Format(int id, const std::vector<std::string>& values) const
{
    std::string text = Text(id);
    // One pass, so a value holding "%2" is never replaced again.
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < values.size()) {
                out += values[n];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string CGnssTexts::Number(const std::optional<double>& value, int decimals) const
{
    return value ? FixedText(*value, decimals) : Text(S::NotAvailable);
}

std::string CGnssTexts::Quality(int quality) const
{
    constexpr int ids[] = {S::QualityNoFix, S::QualityGps, S::QualityDgps, S::QualityPps, S::QualityRtkFixed,
                           S::QualityRtkFloat, S::QualityEstimated, S::QualityManual, S::QualitySimulated,
                           S::QualitySbas};
    return quality >= 0 && quality <= 9 ? Text(ids[quality]) : Text(S::NotAvailable);
}

std::string CGnssTexts::Constellation(EConstellation c) const
{
    switch (c) {
    case EConstellation::Gps: return Text(S::QualityGps);
    case EConstellation::Glonass: return Text(S::NameGlonass);
    case EConstellation::Galileo: return Text(S::NameGalileo);
    case EConstellation::BeiDou: return Text(S::NameBeiDou);
    case EConstellation::Qzss: return Text(S::NameQzss);
    case EConstellation::Sbas: return Text(S::QualitySbas);
    case EConstellation::Navic: return Text(S::NameNavic);
    default: return Text(S::NameOther);
    }
}

std::string CGnssTexts::QualityLine(const CNmeaParser& gnss) const
{
    const auto& fix = gnss.Fix();
    return Format(S::FixQuality, {fix && fix->Quality ? Quality(*fix->Quality) : Text(S::NotAvailable)});
}

std::string CGnssTexts::SatellitesLine(const CNmeaParser& gnss, const std::vector<SSatellite>& sky) const
{
    std::string list;
    for (std::size_t c = 0; c < ConstellationCount; ++c) {
        const auto system = static_cast<EConstellation>(c);
        const auto inView = std::count_if(sky.begin(), sky.end(), [&](const SSatellite& s) { return s.System == system; });
        const std::size_t used = gnss.UsedCount(system);
        if (inView == 0 && used == 0)
            continue;
        if (!list.empty())
            list += ", ";
        list += Constellation(system) + " " + std::to_string(used) + "/" + std::to_string(inView);
    }
    const auto& fix = gnss.Fix();
    if (list.empty())
        list = fix && fix->SatellitesUsed ? std::to_string(*fix->SatellitesUsed) : Text(S::NotAvailable);
    return Format(S::SatellitesUsedInView, {list});
}

std::string CGnssTexts::DopLine(const CNmeaParser& gnss) const
{
    const auto& fix = gnss.Fix();
    const auto& dop = gnss.Dop();
    std::optional<double> hdop = fix ? fix->Hdop : std::nullopt;
    if (!hdop && dop)
        hdop = dop->Hdop;
    return Format(S::DopLine, {Number(hdop, 1), Number(dop ? dop->Pdop : std::nullopt, 1),
                               Number(dop ? dop->Vdop : std::nullopt, 1)});
}

std::string CGnssTexts::PositionLine(const CNmeaParser& gnss) const
{
    const auto& fix = gnss.Fix();
    return Format(S::PositionLine, {Number(fix ? fix->Latitude : std::nullopt, 8),
                                    Number(fix ? fix->Longitude : std::nullopt, 8)});
}

std::string CGnssTexts::HeightsLine(const CNmeaParser& gnss) const
{
    const auto& fix = gnss.Fix();
    return Format(S::HeightsLine, {Number(fix ? fix->EllipsoidalHeight() : std::nullopt, 3),
                                   Number(fix ? fix->AltitudeMsl : std::nullopt, 3)});
}

std::string CGnssTexts::ErrorsLine(const CNmeaParser& gnss) const
{
    const auto& e = gnss.Errors();
    return Format(S::ErrorsLine, {Number(e ? e->North : std::nullopt, 3), Number(e ? e->East : std::nullopt, 3),
                                  Number(e ? e->Up : std::nullopt, 3)});
}

std::string CGnssTexts::AgeLine(const CNmeaParser& gnss, GnssClock::time_point now) const
{
    const auto& fix = gnss.Fix();
    std::optional<double> age;
    if (fix)
        age = std::chrono::duration<double>(now - fix->Arrived).count();
    return Format(S::FixAge, {Number(age, 1)});
}

std::string CGnssTexts::DroppedLine(const CNmeaParser& gnss) const
{
    return Format(S::DroppedSentences, {std::to_string(gnss.BadChecksums()), std::to_string(gnss.MalformedSentences())});
}

std::string CGnssTexts::LivePosition(const CNmeaParser& gnss, GnssClock::time_point now) const
{
    const auto& fix = gnss.Fix();
    if (!fix || now - fix->Arrived > OnMark::FixCurrentFor || !fix->Latitude)
        return {};
    const std::optional<double> height = fix->EllipsoidalHeight() ? fix->EllipsoidalHeight() : fix->AltitudeMsl;
    return Format(S::LivePosition, {FixedText(*fix->Latitude, 8), FixedText(*fix->Longitude, 8), Number(height, 2)});
}

std::string CGnssTexts::OnMarkLine(const SOnMarkResult& r) const
{
    switch (r.State) {
    case EOnMarkState::OnMark: return Format(S::FromReference, {FixedText(r.DistanceM, 1)});
    case EOnMarkState::OffMark: return Format(S::OffMarkWarning, {FixedText(r.DistanceM, 0)});
    case EOnMarkState::NotMeasured: return Format(S::NotMeasured, {Quality(r.Quality)});
    default: return {};
    }
}
