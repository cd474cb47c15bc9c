#pragma once

// The one catalogue of sentences the program sends to the receiver and of the reply prefixes it
// recognises. Every sender and the reply parser take their texts from here, so they cannot drift apart.
// Sentences are sent with CSerialPort::WriteLine, which appends CR LF.

#include <string>
#include <string_view>
#include <vector>

namespace BaseCommands {

// Status queries.
inline constexpr std::string_view PeakSnr = "$KBASE,PEAKSNR";
inline constexpr std::string_view Sats = "$KBASE,SATS";
inline constexpr std::string_view StDev = "$KBASE,STDEV";
inline constexpr std::string_view PowerSource = "$KBASE,PSOURCE";
inline constexpr std::string_view Voltage = "$KBASE,VOLTAGE";
inline constexpr std::string_view BatteryTime = "$KBASE,BATTIME";
inline constexpr std::string_view Version = "$KBASE,VERSION";
inline constexpr std::string_view BootVersion = "$KBASE,BOOTVERSION";
inline constexpr std::string_view Identify = "$JI";

// Battery settings.
inline constexpr std::string_view Config = "$KBASE,CONFIG";
inline constexpr std::string_view Save = "$KBASE,SAVE";
std::string IntBatVCritical(double volts);   // "$KBASE,INTBATVCRITICAL,%f"
std::string ExtBatVCritical(double volts);   // "$KBASE,EXTBATVCRITICAL,%f"
std::string IntBatVWarn(double volts);       // "$KBASE,INTBATVWARN,%f"
std::string ExtBatVWarn(double volts);       // "$KBASE,EXTBATVWARN,%f"
std::string IntBatDr(int minutesPerVolt);    // "$KBASE,INTBATDR,%i"
std::string ExtBatDr(int minutesPerVolt);    // "$KBASE,EXTBATDR,%i"
// "Write Settings": the six values in the order the base expects them, then "$KBASE,SAVE". A level
// that is not finite (NaN, infinity) is left out.
std::vector<std::string> WriteSettings(double intBatVCritical, double extBatVCritical, double intBatVWarn,
                                       double extBatVWarn, int intBatDr, int extBatDr);

// Marks.
inline constexpr std::string_view ReferencePosition = "$JRTK,17";
inline constexpr std::string_view Marks = "$KBASE,MARKS";
inline constexpr std::string_view ClearMarks = "$KBASE,CLEARMARKS";
std::string AddMark(const std::string& lat, const std::string& lon, const std::string& alt);  // "$KBASE,ADDMARK,%s,%s,%s"

// Status requests of the base configuration dialog, one per poll, in this rotation.
inline constexpr std::string_view StatusRotation[] = {
    PeakSnr, Sats, StDev, PowerSource, Voltage, BatteryTime, Version, BootVersion, Identify,
};

// Sent by the base configuration dialog when it opens, in this order.
inline constexpr std::string_view OpeningRequests[] = {
    ReferencePosition, Config, Marks, Version, BootVersion, Identify,
};

// Connection and output control.
inline constexpr std::string_view Application = "$JAPP";
inline constexpr std::string_view WatchdogOff = "$KBASE,WATCHDOG,0";
inline constexpr std::string_view WatchdogOn = "$KBASE,WATCHDOG,1";
inline constexpr std::string_view PassthroughOn = "$KBASE,PASSTHROUGH,1";
inline constexpr std::string_view PassthroughOff = "$KBASE,PASSTHROUGH,0";
inline constexpr std::string_view ConnectPortA = "$JCONN,A,D";
inline constexpr std::string_view ConnectPortB = "$JCONN,B,D";
inline constexpr std::string_view Disconnect = "$JCONN,X";
inline constexpr std::string_view BinaryOn = "$JBIN,1";
inline constexpr std::string_view AsciiDfx = "$JASC,DFX,1";
inline constexpr std::string_view AsciiGpgst = "$JASC,GPGST,1";
inline constexpr std::string_view AsciiGpgga = "$JASC,GPGGA,1";
inline constexpr std::string_view AsciiGpgsv = "$JASC,GPGSV,1";
// Rate 0 stops a stream.
inline constexpr std::string_view AsciiGpggaOff = "$JASC,GPGGA,0";
inline constexpr std::string_view AsciiGpgstOff = "$JASC,GPGST,0";
inline constexpr std::string_view AsciiGpgsvOff = "$JASC,GPGSV,0";

// Radio probes and escapes sent through the receiver (or straight to a radio).
inline constexpr std::string_view RadioOnline = "ATO";
inline constexpr std::string_view RadioCommandExit = "ATCN";
inline constexpr std::string_view RadioMaxstreamProbe = "ATVL";
inline constexpr std::string_view RadioMicrohardProbe = "ATI255";
inline constexpr std::string_view RadioSatelProbe = "SL&F?";
inline constexpr std::string_view RadioMicrohardConfig = "AT&V";
inline constexpr std::string_view RadioEscape = "+++";   // sent with Write, no CR LF

// The sentences that return the receiver to normal operation after a radio connection.
inline constexpr std::string_view RestoreAfterRadio[] = {
    RadioOnline, RadioCommandExit, PassthroughOff, Disconnect, BinaryOn,
    AsciiDfx, AsciiGpgst, AsciiGpgga, AsciiGpgsv,
};

// Reply prefixes, each with its trailing comma; recognised anywhere in a sentence. Declared in the
// order in which the reply parser tries them: the first that occurs wins. The mark replies come first,
// and "$KBASE,VERSION," before "$KBASE,BOOTVERSION," is harmless since neither contains the other.
namespace Replies {
inline constexpr std::string_view Marks = "$KBASE,MARKS,";
inline constexpr std::string_view ReferencePosition = "$>JRTK,17,";
inline constexpr std::string_view Voltage = "$KBASE,VOLTAGE,";
inline constexpr std::string_view IntBatVCritical = "$KBASE,INTBATVCRITICAL,";
inline constexpr std::string_view Sats = "$KBASE,SATS,";
inline constexpr std::string_view StDev = "$KBASE,STDEV,";
inline constexpr std::string_view PeakSnr = "$KBASE,PEAKSNR,";
inline constexpr std::string_view Version = "$KBASE,VERSION,";
inline constexpr std::string_view BootVersion = "$KBASE,BOOTVERSION,";
inline constexpr std::string_view IntBatVWarn = "$KBASE,INTBATVWARN,";
inline constexpr std::string_view ExtBatVWarn = "$KBASE,EXTBATVWARN,";
inline constexpr std::string_view IntBatDr = "$KBASE,INTBATDR,";
inline constexpr std::string_view ExtBatDr = "$KBASE,EXTBATDR,";
inline constexpr std::string_view BatteryTime = "$KBASE,BATTIME,";
inline constexpr std::string_view PowerSource = "$KBASE,PSOURCE,";

// The base's reply parser tries these in this order.
inline constexpr std::string_view ParseOrder[] = {
    Marks, ReferencePosition, Voltage, IntBatVCritical, Sats, StDev, PeakSnr, Version,
    BootVersion, IntBatVWarn, ExtBatVWarn, IntBatDr, ExtBatDr, BatteryTime, PowerSource,
};

// Application replies to "$JAPP": the first names a base, the others a rover.
inline constexpr std::string_view AppBase = "$>JAPP,RTKBAS";
inline constexpr std::string_view AppRover[] = {
    "$>JAPP,LOCDIF", "$>JAPP,LOCRTK", "$>JAPP,AUTODIFF", "$>JAPP,WAAS",
};
}  // namespace Replies

}  // namespace BaseCommands
