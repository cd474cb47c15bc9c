#pragma once

#include <vector>

// The program's own (English) string table. Language files translate these same ids;
// any id a language file lacks falls back to the text here.
namespace StringIds {
constexpr int First = 152;
constexpr int Last = 216;

constexpr int Latitude = 152;
constexpr int Longitude = 153;
constexpr int Altitude = 154;
constexpr int Port = 155;
constexpr int BaseConfiguration = 156;
constexpr int RadioConfiguration = 157;
constexpr int Language = 158;
constexpr int Cancel = 159;
constexpr int Ok = 160;
constexpr int Connect = 161;
constexpr int MicrohardDetected = 162;
constexpr int MaxstreamDetected = 163;
constexpr int RadioNotResponding = 164;
constexpr int SatelDetected = 165;
constexpr int InvalidModeNeedsBase = 166;
constexpr int ConnectedToBase = 167;
constexpr int ConnectionFailedOnPort = 168;
constexpr int Connecting = 169;
constexpr int AddCoordinateDms = 170;
constexpr int AddCoordinateDecimal = 171;
constexpr int CoordinateList = 172;
constexpr int PowerSummary = 173;
constexpr int ExternalBattery = 174;
constexpr int Minutes = 175;
constexpr int Seconds = 176;
constexpr int Degrees = 177;
constexpr int InUse = 178;
constexpr int Add = 179;
constexpr int ReadCoordinates = 180;
constexpr int WriteCoordinates = 181;
constexpr int DeleteCoordinate = 182;
constexpr int MapAll = 183;
constexpr int MapSelected = 184;
constexpr int BatteryVoltage = 185;
constexpr int BatteryRemaining = 186;
constexpr int BatteryState = 187;
constexpr int LowBattery = 188;
constexpr int Critical = 189;
constexpr int Operational = 190;
constexpr int WarningLevel = 191;
constexpr int CriticalLevel = 192;
constexpr int Discharge = 193;
constexpr int Volts = 194;
constexpr int ReadSettings = 195;
constexpr int WriteSettings = 196;
constexpr int BaseConfigurationTitle = 197;
constexpr int ConnectionEstablishment = 198;
constexpr int Next = 199;
constexpr int Back = 200;
constexpr int CoordinateMap = 201;
constexpr int PowerSource = 202;
constexpr int InternalBattery = 203;
constexpr int ExternalPower = 204;
constexpr int AdvancedSettings = 205;
constexpr int Gps = 206;
constexpr int PeakSnr = 207;
constexpr int Satellites = 208;
constexpr int StandardDeviation = 209;
constexpr int Channel = 210;
constexpr int Frequency = 211;
constexpr int CommitChanges = 212;
constexpr int Decibels = 213;
constexpr int Metres = 214;
constexpr int ProductTitle = 215;
constexpr int WritingCoordinates = 216;
}  // namespace StringIds

// Texts this program added after the classic table (ids 152-216). Each feature has its own block of
// ids so that translations of one never shift another:
//   300-309 base configuration dialog, 310-319 advanced settings, 320-329 map,
//   330-349 radio dialogs, 350-359 connection and port messages.
namespace StringIds {
// Base configuration dialog.
constexpr int MarksConfirmed = 300;
constexpr int MarksMissing = 301;
constexpr int MarkNotSendable = 302;
constexpr int NotAvailable = 303;
constexpr int CheckingMarks = 304;
constexpr int VoltageLogStopped = 305;
constexpr int VoltageLogNotStarted = 306;
constexpr int MapPageNotLoaded = 320;
constexpr int MapPageNotFound = 321;
constexpr int MapOpenedInBrowser = 322;
constexpr int MapBrowserFailed = 323;
// Radio dialogs (the Maxstream and Satel dialogs use 340-349).
constexpr int ChangesNotConfirmed = 330;  // "%s - %s": the command, what the radio answered
constexpr int RadioIdOutOfRange = 331;
constexpr int NoAnswer = 332;
constexpr int DirectNeedsMicrohard = 350;
// Review fixes, radio side (670-699).
constexpr int PollerStuck = 670;
}  // namespace StringIds

struct SStringEntry {
    int Id;
    const char* Text;
};

// The built-in English text for a string id, or an empty text ("") for an id the table lacks.
const char* BuiltInStringText(int id);
// Every id the program's own table holds, classic and added, in ascending order.
std::vector<int> BuiltInStringIds();
