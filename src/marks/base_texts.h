#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CBaseSettings;
class CBaseStatus;
class CLanguageModule;
class CMark;
class CMarkList;
class CModel;

// One line of the mark list: the number, the mark's three texts and "*" when the base uses it.
// Rows carry copies of the texts, never the mark itself: the list may drop a mark while its row is
// still on screen.
struct SMarkRow {
    std::string Number;
    std::string Latitude;
    std::string Longitude;
    std::string Altitude;
    std::string InUse;
};

// Every line of the base configuration dialog and the base's about box, in the formats the operator
// knows ("Warning Level: 12.00V", "Discharge:  500Minutes/V"). Labels come from the language module
// (the built-in English table without one); numbers are formatted without the process locale.
class CBaseTexts {
public:
    explicit CBaseTexts(const CLanguageModule* language = nullptr) : m_Language(language) {}

    std::string Text(int id) const;

    static std::vector<SMarkRow> MarkRows(const CMarkList& marks, const CMark& reference);
    // The classic list box line: "\t%d\t%s\t%s\t%s", then "\t*" for the mark in use.
    static std::string ListLine(const SMarkRow& row);

    // reported: the Reported bits of the values the base has sent; the others show "N/A".
    std::string PowerSource(const CBaseSettings& s, unsigned reported) const;
    std::string Satellites(const CBaseSettings& s, unsigned reported) const;
    std::string StandardDeviation(const CBaseSettings& s, unsigned reported) const;
    std::string PeakSnr(const CBaseSettings& s, unsigned reported) const;
    std::string WarningLevel(const CBaseSettings& s) const;
    std::string CriticalLevel(const CBaseSettings& s) const;
    std::string Discharge(const CBaseSettings& s) const;

    std::string BatteryVoltage(const CBaseStatus& s, unsigned reported) const;
    std::string BatteryRemaining(const CBaseStatus& s, unsigned reported) const;
    std::string BatteryState(const CBaseStatus& s, unsigned reported) const;

    // The read-back after a write run.
    std::string Confirmation(std::size_t returned, std::size_t total) const;
    // A write run refused: names the mark (numbered from 1 as in the list).
    std::string UnsendableMark(std::size_t index, const CMark& mark) const;

    // The base's about box.
    static std::string FirmwareLine(const CModel& model);
    static std::string BootloaderLine(const CModel& model);
    static std::string GpsEngineLine(const CModel& model);
    static std::string SubscriptionLine(const CModel& model);

private:
    std::string Label(int id) const { return Text(id) + ": "; }
    std::string NotAvailable() const;

    const CLanguageModule* m_Language;
};
