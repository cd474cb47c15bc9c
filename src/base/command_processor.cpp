#include "base/command_processor.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

#include "base/base_commands.h"
#include "base/base_settings.h"
#include "base/base_status.h"
#include "connection/model.h"
#include "marks/mark.h"
#include "marks/mark_list.h"
#include "marks/text_number.h"

namespace R = BaseCommands::Replies;

namespace {

// Text before the first comma, and what follows that comma (the whole text again when there is none).
std::string_view Head(std::string_view s) { return s.substr(0, s.find(',')); }
std::string_view Rest(std::string_view s)
{
    const auto comma = s.find(',');
    return comma == std::string_view::npos ? s : s.substr(comma + 1);
}

// Branches in the order of BaseCommands::Replies::ParseOrder.
enum class EBranch {
    Marks, ReferencePosition, Voltage, IntBatVCritical, Sats, StDev, PeakSnr, Version,
    BootVersion, IntBatVWarn, ExtBatVWarn, IntBatDr, ExtBatDr, BatteryTime, PowerSource, Count
};
constexpr bool BranchIs(EBranch b, std::string_view prefix)
{
    return R::ParseOrder[static_cast<std::size_t>(b)] == prefix;
}
static_assert(std::size(R::ParseOrder) == static_cast<std::size_t>(EBranch::Count));
static_assert(BranchIs(EBranch::Marks, R::Marks) && BranchIs(EBranch::ReferencePosition, R::ReferencePosition) &&
              BranchIs(EBranch::Voltage, R::Voltage) && BranchIs(EBranch::IntBatVCritical, R::IntBatVCritical) &&
              BranchIs(EBranch::Sats, R::Sats) && BranchIs(EBranch::StDev, R::StDev) &&
              BranchIs(EBranch::PeakSnr, R::PeakSnr) && BranchIs(EBranch::Version, R::Version) &&
              BranchIs(EBranch::BootVersion, R::BootVersion) && BranchIs(EBranch::IntBatVWarn, R::IntBatVWarn) &&
              BranchIs(EBranch::ExtBatVWarn, R::ExtBatVWarn) && BranchIs(EBranch::IntBatDr, R::IntBatDr) &&
              BranchIs(EBranch::ExtBatDr, R::ExtBatDr) && BranchIs(EBranch::BatteryTime, R::BatteryTime) &&
              BranchIs(EBranch::PowerSource, R::PowerSource));

// A decimal from a reply, unless it reads as NaN or infinity ("nan", "inf", or too many digits):
// such a value would travel on into the labels, mark files and the settings sent back.
std::optional<double> FiniteDecimal(std::string_view value)
{
    const double v = TextToDouble(value);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

void ApplySetting(CBaseSettings& settings, EBranch branch, std::string_view value)
{
    using Setter = void (CBaseSettings::*)(double);
    const auto decimal = [&](Setter set) {
        if (const auto v = FiniteDecimal(value))
            (settings.*set)(*v);
    };
    switch (branch) {
    case EBranch::IntBatVCritical: decimal(&CBaseSettings::SetIntBatVCritical); break;
    case EBranch::Sats: settings.SetSats(TextToInt(value)); break;
    case EBranch::StDev: decimal(&CBaseSettings::SetStDev); break;
    case EBranch::PeakSnr: settings.SetPeakSnr(TextToInt(value)); break;
    case EBranch::IntBatVWarn: decimal(&CBaseSettings::SetIntBatVWarn); break;
    case EBranch::ExtBatVWarn: decimal(&CBaseSettings::SetExtBatVWarn); break;
    case EBranch::IntBatDr: settings.SetIntBatDr(TextToInt(value)); break;
    case EBranch::ExtBatDr: settings.SetExtBatDr(TextToInt(value)); break;
    // Only the first character counts: "10" is internal battery too.
    case EBranch::PowerSource: settings.SetOnInternalBattery(!value.empty() && value[0] == '1'); break;
    default: break;
    }
}

}  // namespace

bool CCommandProcessor::CarriesValue(std::string_view prefix, std::string_view value)
{
    for (const std::string_view decimal : {R::Voltage, R::IntBatVCritical, R::StDev, R::IntBatVWarn, R::ExtBatVWarn})
        if (prefix == decimal)
            return FiniteDecimal(value).has_value();
    return true;
}

CCommandProcessor::SFields3 CCommandProcessor::SplitThree(std::string_view value)
{
    const std::string_view rest = Rest(value);
    return {Head(value), Head(rest), Rest(rest)};
}

CCommandProcessor::SFields2 CCommandProcessor::SplitTwo(std::string_view value)
{
    return {Head(value), Head(Rest(value))};
}

CCommandProcessor::SReply CCommandProcessor::FindReply(std::string_view s)
{
    // Every prefix begins with '$': a sentence without one holds none.
    const std::size_t firstDollar = s.find('$');
    if (firstDollar == std::string_view::npos)
        return {};
    for (const std::string_view prefix : R::ParseOrder) {
        const std::size_t at = s.find(prefix, firstDollar);
        if (at != std::string_view::npos)
            return {prefix, s.substr(at + prefix.size())};
    }
    return {};
}

void CCommandProcessor::ParseReply(std::string sentence)
{
    if (!m_Status)
        return;
    const auto [prefix, value] = FindReply(sentence);
    if (prefix.empty())
        return;
    const std::size_t branch =
        static_cast<std::size_t>(std::find(std::begin(R::ParseOrder), std::end(R::ParseOrder), prefix) -
                                 std::begin(R::ParseOrder));

    CBaseSettings* settings = m_Status->GetSettings();
    CMarkList* marks = m_Status->GetMarks();
    switch (static_cast<EBranch>(branch)) {
    case EBranch::Marks: {
        if (!marks)
            return;
        // A mark the list holds (by texts or by value) moves to the end, so the list ends in the
        // base's order. A text longer than the entry fields take is no mark the operator could type.
        const SFields3 f = SplitThree(value);
        if (f.first.size() > CMark::MaxTextLength || f.second.size() > CMark::MaxTextLength ||
            f.third.size() > CMark::MaxTextLength)
            return;
        marks->ReceiveMark(std::string(f.first), std::string(f.second), std::string(f.third));
        break;
    }
    case EBranch::ReferencePosition: {
        CMark* reference = m_Status->GetReferencePosition();
        if (!reference)
            return;
        const SFields3 f = SplitThree(value);
        reference->Set(std::string(f.first), std::string(f.second), std::string(f.third));
        // Redraw only when the "In Use" column can show it.
        if (marks && marks->ContainsNear(*reference))
            marks->SetModified(true);
        break;
    }
    case EBranch::Voltage:
        // The text and the number stay a pair: a non-finite reading changes neither.
        if (const auto v = FiniteDecimal(value)) {
            m_Status->SetVoltageText(std::string(value));
            m_Status->SetVoltage(*v);
        }
        break;
    case EBranch::Version:
        if (m_Model)
            m_Model->SetBaseFirmwareVersion(std::string(value));
        break;
    case EBranch::BootVersion:
        if (m_Model)
            m_Model->SetBaseBootloaderVersion(std::string(value));
        break;
    case EBranch::BatteryTime: {
        const SFields2 f = SplitTwo(value);
        m_Status->SetBatteryMinutes(TextToInt(f.first));
        m_Status->SetBatteryState(TextToInt(f.second));
        break;
    }
    default:
        if (settings)
            ApplySetting(*settings, static_cast<EBranch>(branch), value);
        break;
    }
}
