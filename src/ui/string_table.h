#pragma once

#include <string_view>
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
// The marks editor: the question before a write deletes marks, discarding edits, undo.
constexpr int WriteMarksQuestion = 840;
constexpr int WriteOneMarkQuestion = 841;
constexpr int DeletesAllMarks = 842;
constexpr int DeletesAllMarksInUse = 843;
constexpr int DeletesOnlyMark = 844;
constexpr int DeletesOnlyMarkInUse = 845;
constexpr int DeletesSomeMarks = 846;
constexpr int DeletesSomeMarksInUse = 847;
constexpr int DiscardMarkChanges = 848;
constexpr int EditMenu = 849;
constexpr int UndoDelete = 850;
}  // namespace StringIds

// Texts this program added after the classic table (ids 152-216). Each feature has its own block of
// ids so that translations of one never shift another:
//   300-309 base configuration dialog, 310-319 advanced settings, 320-329 map,
//   330-349 radio dialogs, 350-359 connection and port messages, 400-449 serial console.
//   330-349 radio dialogs, 350-359 connection and port messages, 500-549 import and export of marks.
//   330-349 radio dialogs, 350-359 connection and port messages, 620-669 grid coordinates.
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
// Review fixes, marks editor side (360-399).
constexpr int MarksExtra = 360;
constexpr int MarksLost = 361;
constexpr int MarksDiffer = 362;
constexpr int MarksCapped = 363;
constexpr int MapTooManyMarks = 364;
constexpr int MapPageNotFound = 321;
constexpr int MapOpenedInBrowser = 322;
constexpr int MapBrowserFailed = 323;
// Radio dialogs (the Maxstream and Satel dialogs use 340-349).
constexpr int ChangesNotConfirmed = 330;  // "%s - %s": the command, what the radio answered
constexpr int RadioIdOutOfRange = 331;
constexpr int NoAnswer = 332;
constexpr int DirectNeedsMicrohard = 350;
// Serial console and session recording.
constexpr int SerialConsole = 400;
constexpr int RecordSession = 401;
constexpr int ConsolePause = 402;
constexpr int ConsoleClear = 403;
constexpr int ConsoleHex = 404;
constexpr int ConsoleFilter = 405;
constexpr int ConsoleCopy = 406;
constexpr int ConsoleSaveAs = 407;
constexpr int ConsoleRecord = 408;
constexpr int ConsoleTime = 409;
constexpr int ConsoleDirection = 410;
constexpr int ConsoleData = 411;
constexpr int ConsoleDropped = 412;
constexpr int RecordingTo = 413;
constexpr int RecordingNotWritten = 414;
constexpr int RecordingStopped = 415;
constexpr int ConsoleNotSaved = 416;
constexpr int SessionLogFiles = 417;
constexpr int ConsoleTextFiles = 418;
constexpr int ConsoleSelectAll = 419;
}  // namespace StringIds

// Operator safety: what an entry field accepts, questions before anything is lost, messages that say
// what to do (700-899).
namespace StringIds {
constexpr int AcceptsDigits = 700;
constexpr int AcceptsDigitsSign = 701;
constexpr int AcceptsDigitsPoint = 702;
constexpr int AcceptsDigitsSignPoint = 703;
constexpr int FieldFull = 704;
constexpr int PortInUse = 705;
constexpr int PortNoPermission = 706;
constexpr int PortGone = 707;
constexpr int NoAnswerOnPort = 708;
constexpr int WriteDefaultsReplaces = 709;
constexpr int WriteDefaultsReplacesUnknown = 710;
constexpr int ResetAndWrite = 711;
// Link health and reconnecting (450-499).
constexpr int LinkReceiving = 450;
constexpr int LinkSilent = 451;         // %1: seconds
constexpr int LinkLost = 452;           // %1: the port ("COM5")
constexpr int LinkReconnected = 453;    // %1: seconds
constexpr int ReadingAge = 454;         // %1: seconds
constexpr int WriteCutByLostLink = 455; // %1 of %2 marks
constexpr int ConnectionLost = 456;
// Import and export of marks (500-549).
constexpr int ExportMarks = 500;
constexpr int ExportSelectedMarks = 501;
constexpr int ImportMarks = 502;
constexpr int ImportQuestion = 503;
constexpr int ImportSkipped = 504;
constexpr int ImportAtLine = 505;
constexpr int ImportAtPoint = 506;
constexpr int ImportNoLatitude = 507;
constexpr int ImportNoLongitude = 508;
constexpr int ImportLatitudeNotNumber = 509;
constexpr int ImportLongitudeNotNumber = 510;
constexpr int ImportAltitudeNotNumber = 511;
constexpr int ImportLatitudeOutOfRange = 512;
constexpr int ImportLongitudeOutOfRange = 513;
constexpr int ImportAltitudeOutOfRange = 514;
constexpr int ImportMoreSkipped = 515;
constexpr int ImportMissingAltitude = 516;
constexpr int ImportAlreadyListed = 517;
constexpr int ImportNames = 518;
constexpr int ImportButton = 519;
constexpr int ImportNothingUsable = 520;
constexpr int ExportNothingSelected = 521;
constexpr int PointFiles = 522;

// GNSS status and averaging (550-619).
constexpr int GnssStatusTitle = 550;
constexpr int AveragePositionMenu = 551;
constexpr int AveragePositionTitle = 552;
constexpr int FixQuality = 553;
constexpr int QualityNoFix = 554;
constexpr int QualityGps = 555;
constexpr int QualityDgps = 556;
constexpr int QualityPps = 557;
constexpr int QualityRtkFixed = 558;
constexpr int QualityRtkFloat = 559;
constexpr int QualityEstimated = 560;
constexpr int QualityManual = 561;
constexpr int QualitySimulated = 562;
constexpr int QualitySbas = 563;
constexpr int SatellitesUsedInView = 564;
constexpr int DopLine = 565;
constexpr int PositionLine = 566;
constexpr int HeightsLine = 567;
constexpr int ErrorsLine = 568;
constexpr int FixAge = 569;
constexpr int SkyPlot = 570;
constexpr int SignalLevels = 571;
constexpr int SatelliteTable = 572;
constexpr int ColConstellation = 573;
constexpr int ColSatellite = 574;
constexpr int ColElevation = 575;
constexpr int ColAzimuth = 576;
constexpr int ColSnr = 577;
constexpr int ColUsed = 578;
constexpr int Yes = 579;
constexpr int No = 580;
constexpr int LivePosition = 581;
constexpr int FromReference = 582;
constexpr int OffMarkWarning = 583;
constexpr int NotMeasured = 584;
constexpr int Start = 585;
constexpr int Stop = 586;
constexpr int DurationMinutes = 587;
constexpr int UntilStopped = 588;
constexpr int FixesUsedSkipped = 589;
constexpr int Elapsed = 590;
constexpr int MeanLine = 591;
constexpr int SigmaLine = 592;
constexpr int AddAsMark = 593;
constexpr int HeightChoice = 594;
constexpr int HeightEllipsoidal = 595;
constexpr int HeightAboveSeaLevel = 596;
constexpr int ScatterPlot = 597;
constexpr int CannotAddMean = 598;
constexpr int MeanAdded = 599;
constexpr int MeanAlreadyListed = 600;
constexpr int DroppedSentences = 601;
constexpr int NameGlonass = 602;
constexpr int NameGalileo = 603;
constexpr int NameBeiDou = 604;
constexpr int NameQzss = 605;
constexpr int NameNavic = 606;
constexpr int NameOther = 607;
constexpr int NoEllipsoidalHeight = 608;
// Grid coordinates (620-669).
constexpr int AddCoordinateGrid = 620;
constexpr int CoordinateSystem = 621;
constexpr int UtmFromLongitude = 622;
constexpr int SearchSystems = 623;
constexpr int UtmZone = 624;
constexpr int Hemisphere = 625;
constexpr int North = 626;
constexpr int South = 627;
constexpr int Easting = 628;
constexpr int Northing = 629;
constexpr int AreaOfUse = 630;
constexpr int ConversionWithAccuracy = 631;
constexpr int ConversionAccuracyUnknown = 632;
constexpr int BallparkWarning = 633;
constexpr int GridNotAvailable = 634;
constexpr int GridNoDatabase = 635;
constexpr int GridUnknownSystem = 636;
constexpr int GridNotProjected = 637;
constexpr int GridNoSystem = 638;
constexpr int GridOutsideArea = 639;
constexpr int GridInvalidValue = 640;
constexpr int GridConversionFailed = 641;
constexpr int GridNoMatch = 642;
constexpr int GridUnit = 643;
constexpr int GridColumns = 644;
constexpr int ViewMenu = 645;
constexpr int GridZone = 646;
// Advanced settings and the map (870-899).
constexpr int CriticalNotBelowWarning = 870;  // %1 critical, %2 warning
constexpr int SettingsConfirmed = 871;
constexpr int SettingDiffers = 872;           // %1 setting, %2 held, %3 written
constexpr int SettingsNotReadBack = 873;
constexpr int MapBrowserAsRoot = 874;
constexpr int MapPageMark = 875;              // %1 number as in the list
constexpr int MapPageNoTiles = 876;
constexpr int MapPageNoLibrary = 877;
constexpr int MapPageNotPlaced = 878;
constexpr int MapPageLabel = 879;
// A radio dialog whose port is lost.
constexpr int DiscardUnwrittenRadio = 900;  // close with edits the radio has not received
constexpr int DiscardChanges = 901;
// File messages of mark and point files, matched by their English form (TranslateMessage).
constexpr int FirstFileMessage = 851;
constexpr int LastFileMessage = 866;
// Rover dialogs (800-819).
constexpr int PollerStuck = 800;
}  // namespace StringIds

struct SStringEntry {
    int Id;
    const char* Text;
};

// The built-in English text for a string id, or an empty text ("") for an id the table lacks.
const char* BuiltInStringText(int id);
// The id whose built-in English text is exactly text, or 0. Lets a text written into a template or
// the code be translated without changing it (ids 720-899 hold those the classic table lacks).
int FindStringId(std::string_view text);
// Every id the program's own table holds, classic and added, in ascending order.
std::vector<int> BuiltInStringIds();
