#include "marks/base_texts.h"

#include "base/base_settings.h"
#include "base/base_status.h"
#include "connection/model.h"
#include "marks/base_session.h"
#include "marks/mark.h"
#include "marks/mark_list.h"
#include "marks/text_number.h"
#include "ui/message_template.h"
#include "ui/language_module.h"
#include "ui/string_table.h"

namespace {

// Control characters shown as "?", so a refused mark can be named without disturbing the box.
std::string Visible(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return out;
}

}  // namespace

std::string CBaseTexts::Text(int id) const
{
    return m_Language ? m_Language->LoadText(id) : std::string(BuiltInStringText(id));
}

std::string CBaseTexts::NotAvailable() const
{
    return Text(StringIds::NotAvailable);
}

std::vector<SMarkRow> CBaseTexts::MarkRows(const CMarkList& marks, const CMark& reference)
{
    std::vector<SMarkRow> rows;
    rows.reserve(marks.Size());
    int number = 1;
    for (const CMark& mark : marks) {
        rows.push_back({std::to_string(number++), mark.GetLatitude(), mark.GetLongitude(), mark.GetAltitude(),
                        mark.IsNear(reference) ? "*" : ""});
    }
    return rows;
}

std::string CBaseTexts::ListLine(const SMarkRow& row)
{
    std::string line = "\t" + row.Number + "\t" + row.Latitude + "\t" + row.Longitude + "\t" + row.Altitude;
    if (!row.InUse.empty())
        line += "\t" + row.InUse;
    return line;
}

std::string CBaseTexts::PowerSource(const CBaseSettings& s, unsigned reported) const
{
    if (!(reported & Reported::PowerSource))
        return Label(StringIds::PowerSource) + NotAvailable();
    return Label(StringIds::PowerSource) +
           Text(s.GetOnInternalBattery() ? StringIds::InternalBattery : StringIds::ExternalPower);
}

std::string CBaseTexts::Satellites(const CBaseSettings& s, unsigned reported) const
{
    return Label(StringIds::Satellites) + ((reported & Reported::Sats) ? std::to_string(s.GetSats()) : NotAvailable());
}

std::string CBaseTexts::StandardDeviation(const CBaseSettings& s, unsigned reported) const
{
    if (!(reported & Reported::StDev))
        return Label(StringIds::StandardDeviation) + NotAvailable();
    return Label(StringIds::StandardDeviation) + FixedText(s.GetStDev(), 2) + " " + Text(StringIds::Metres);
}

std::string CBaseTexts::PeakSnr(const CBaseSettings& s, unsigned reported) const
{
    if (!(reported & Reported::PeakSnr))
        return Label(StringIds::PeakSnr) + NotAvailable();
    return Label(StringIds::PeakSnr) + std::to_string(s.GetPeakSnr()) + Text(StringIds::Decibels);
}

std::string CBaseTexts::WarningLevel(const CBaseSettings& s) const
{
    return Label(StringIds::WarningLevel) + FixedText(s.GetIntBatVWarn(), 2) + Text(StringIds::Volts);
}

std::string CBaseTexts::CriticalLevel(const CBaseSettings& s) const
{
    return Label(StringIds::CriticalLevel) + FixedText(s.GetIntBatVCritical(), 2) + Text(StringIds::Volts);
}

std::string CBaseTexts::Discharge(const CBaseSettings& s) const
{
    // Two blanks after the colon, as the operators have always seen it.
    return Text(StringIds::Discharge) + ":  " + std::to_string(s.GetIntBatDr()) + Text(StringIds::Minutes) + "/" +
           Text(StringIds::Volts);
}

std::string CBaseTexts::BatteryVoltage(const CBaseStatus& s, unsigned reported) const
{
    if (!(reported & Reported::Voltage))
        return Label(StringIds::BatteryVoltage) + NotAvailable();
    return Label(StringIds::BatteryVoltage) + s.GetVoltageText() + "V";
}

std::string CBaseTexts::BatteryRemaining(const CBaseStatus& s, unsigned reported) const
{
    if (!(reported & Reported::BatteryTime))
        return Label(StringIds::BatteryRemaining) + NotAvailable();
    return Label(StringIds::BatteryRemaining) + std::to_string(s.GetBatteryMinutes()) + " " + Text(StringIds::Minutes);
}

std::string CBaseTexts::BatteryState(const CBaseStatus& s, unsigned reported) const
{
    if (!(reported & Reported::BatteryTime))
        return Label(StringIds::BatteryState) + NotAvailable();
    const int state = s.GetBatteryState();
    const int id = state == CBaseStatus::BatteryLow        ? StringIds::LowBattery
                   : state == CBaseStatus::BatteryCritical ? StringIds::Critical
                                                           : StringIds::Operational;
    return Label(StringIds::BatteryState) + Text(id);
}

std::string CBaseTexts::Confirmation(std::size_t returned, std::size_t total) const
{
    const int id = returned == total ? StringIds::MarksConfirmed : StringIds::MarksMissing;
    return FillTemplate(Text(id), {std::to_string(returned), std::to_string(total)});
}

std::string CBaseTexts::UnsendableMark(std::size_t index, const CMark& mark) const
{
    return FillTemplate(Text(StringIds::MarkNotSendable),
                {std::to_string(index + 1),
                 Visible(mark.GetLatitude()) + ", " + Visible(mark.GetLongitude()) + ", " + Visible(mark.GetAltitude())});
}

std::string CBaseTexts::FirmwareLine(const CModel& model) { return "Base Firmware v" + model.GetBaseFirmwareVersion(); }
std::string CBaseTexts::BootloaderLine(const CModel& model)
{
    return "Base Bootloader v" + model.GetBaseBootloaderVersion();
}
std::string CBaseTexts::GpsEngineLine(const CModel& model) { return "GPS Engine v" + model.GetGpsEngineVersion(); }
std::string CBaseTexts::SubscriptionLine(const CModel& model)
{
    return "GPS Subscription: " + model.GetGpsSubscription();
}
