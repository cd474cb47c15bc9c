#include "ui/string_table.h"

#include <array>

namespace {

constexpr std::array<const char*, StringIds::Last - StringIds::First + 1> kTexts = {
    "Latitude",                                     // 152
    "Longitude",                                    // 153
    "Altitude",                                     // 154
    "Port",                                         // 155
    "Base Configuration",                           // 156
    "Radio Configuration",                          // 157
    "Language",                                     // 158
    "Cancel",                                       // 159
    "Ok",                                           // 160
    "Connect",                                      // 161
    "Microhard Radio Detected.",                    // 162
    "Maxstream Radio Detected.",                    // 163
    "Connection Failed, Radio is not responding.",  // 164
    "Satel Radio Detected.",                        // 165
    "Invalid Mode, Must be connected to a Base.",   // 166
    "Connected to Base.",                           // 167
    "Connection Failed on COM PORT",                // 168
    "Connecting....",                               // 169
    "Add Coordinate(Degrees,Minutes,Seconds)",      // 170
    "Add Coordinate(Decimal)",                      // 171
    "Coordinate List",                              // 172
    "Power Summary",                                // 173
    "External Battery",                             // 174
    "Minutes",                                      // 175
    "Seconds",                                      // 176
    "Degrees",                                      // 177
    "In Use",                                       // 178
    "Add",                                          // 179
    "Read Coordinates",                             // 180
    "Write Coordinates",                            // 181
    "Delete Coordinate",                            // 182
    "Map All",                                      // 183
    "Map Selected",                                 // 184
    "Battery Voltage",                              // 185
    "Battery Remaining",                            // 186
    "Battery State",                                // 187
    "Low Battery",                                  // 188
    "Critical",                                     // 189
    "Operational",                                  // 190
    "Warning Level",                                // 191
    "Critical Level",                               // 192
    "Discharge",                                    // 193
    "V",                                            // 194
    "Read Settings",                                // 195
    "Write Settings",                               // 196
    "Base Configuration",                           // 197
    "Connection Establishment",                     // 198
    "Next",                                         // 199
    "Back",                                         // 200
    "Coordinate Map",                               // 201
    "Power Source",                                 // 202
    "Internal Battery",                             // 203
    "External Power",                               // 204
    "Advanced Settings",                            // 205
    "GPS",                                          // 206
    "Peak SNR",                                     // 207
    "Satellites",                                   // 208
    "Standard Deviation",                           // 209
    "Channel",                                      // 210
    "Frequency",                                    // 211
    "Commit Changes",                               // 212
    "dB",                                           // 213
    "m",                                            // 214
    "Ostrova GPS - Varnel Link Manager",            // 215
    "Writing Coordinates to Base.",                 // 216
};

// Kept in ascending id order; the blocks are listed in string_table.h.
constexpr SStringEntry kAddedTexts[] = {
    {0, nullptr},  // keeps the array non-empty; never looked up
    {300, "The base confirmed %1 of %2 marks."},
    {301, "The base returned %1 of %2 marks. Check the base."},
    {302, "Mark %1 (%2) cannot be sent to the base: a text holds a control character or \"$\", or a coordinate holds \",\". Nothing was written."},
    {303, "N/A"},
    {304, "Checking the marks on the base..."},
    {305, "Voltage logging has stopped. %1"},
    {306, "Voltage logging could not start. %1"},
    {StringIds::MapPageNotLoaded, "The map page could not be loaded:"},
    {StringIds::MapPageNotFound, "The map page was not found beside the program."},
    {StringIds::MapOpenedInBrowser, "The map was opened in the web browser."},
    {StringIds::MapBrowserFailed, "The web browser could not be opened to show the map."},
    {330, "Changes not confirmed: %s - %s"},
    {331, "The radio ID must be a number from 0 to 99."},
    {332, "no answer"},
    {350, "Connection Failed, only a Microhard radio can be connected directly."},
    {StringIds::MarksExtra, "The base holds %1 marks: %2 more than written, including %3."},
    {StringIds::MarksLost, "The base holds %1 marks: %2 fewer than written, missing %3."},
    {StringIds::MarksDiffer, "The base holds %1 marks, not the %2 written: %3 not written, including %4; %5 missing, including %6."},
    {StringIds::MarksCapped, "The base sent more than %1 new marks; only the first %1 were taken."},
    {StringIds::MapTooManyMarks, "The map shows the first %1 of %2 marks; it cannot draw more."},
    {StringIds::AcceptsDigits, "This field takes digits only."},
    {StringIds::AcceptsDigitsSign, "This field takes digits and one minus sign."},
    {StringIds::AcceptsDigitsPoint, "This field takes digits and one decimal point."},
    {StringIds::AcceptsDigitsSignPoint, "This field takes digits, one minus sign and one decimal point."},
    {StringIds::FieldFull, "This field takes at most %1 characters."},
    {StringIds::PortInUse, "Another program is using the port. Close it and connect again."},
    {StringIds::PortNoPermission, "You may not use the port. Add yourself to the dialout group (sudo usermod -aG dialout $USER), log out and in again."},
    {StringIds::PortGone, "The device is gone. Check that the adapter is plugged in and choose its port again."},
    {StringIds::WriteDefaultsReplaces, "This resets the radio to factory defaults and sets ID %1 (the radio has %2)"},
    {StringIds::WriteDefaultsReplacesUnknown, "This resets the radio to factory defaults and sets ID %1 (the radio's ID could not be read)"},
    {StringIds::ResetAndWrite, "Reset and Write"},
    {StringIds::NoAnswerOnPort, "No answer on COM%1. Check that the receiver is on, the cable and the port."},
    {StringIds::WriteMarksQuestion, "Write %1 marks to the base?"},
    {StringIds::WriteOneMarkQuestion, "Write 1 mark to the base?"},
    {StringIds::DeletesAllMarks, "This deletes all %1 marks stored on it."},
    {StringIds::DeletesAllMarksInUse, "This deletes all %1 marks stored on it, including the one in use."},
    {StringIds::DeletesOnlyMark, "This deletes the only mark stored on it."},
    {StringIds::DeletesOnlyMarkInUse, "This deletes the only mark stored on it, the one in use."},
    {StringIds::DeletesSomeMarks, "This deletes %1 of the %2 marks stored on it."},
    {StringIds::DeletesSomeMarksInUse, "This deletes %1 of the %2 marks stored on it, including the one in use."},
    {StringIds::DiscardMarkChanges, "Discard the changes to the mark list?"},
    {StringIds::EditMenu, "Edit"},
    {StringIds::UndoDelete, "Undo"},
    // Texts the templates and the code show in English; found by their text (FindStringId).
    {720, "Direct Connect - Base"},
    {721, "Direct Connect - Rover"},
    {722, "Write defaults"},
    {723, "Help"},
    {724, "About"},
    {725, "Progress"},
    {726, "About the base"},
    {727, "Copyright"},
    {728, "OK"},
    {729, "About Varnel Link Manager"},
    {730, "Program icon"},
    {731, "Map"},
    {732, "Unable to load system language, default language is used"},
    {733, "Communications Port"},
    {734, "File"},
    {735, "New"},
    {736, "Open"},
    {737, "Append"},
    {738, "Replace"},
    {739, "Save"},
    {740, "Save As..."},
    {741, "Close"},
    {742, "Tools"},
    {743, "Voltage Logging"},
    {744, "Battery Remaining:"},
    {745, "Battery State:"},
    {746, "Battery Settings"},
    {747, "Battery Status"},
    {748, "Message Interval:"},
    {749, "Message Interval"},
    {750, "Power Source:"},
    {751, "Maxstream Base Radio Configuration"},
    {752, "Maxstream Rover Radio Configuration"},
    {753, "Microhard Base Radio Configuration"},
    {754, "Microhard Rover Radio Configuration"},
    {755, "Satel Base Radio Configuration"},
    {756, "Satel Rover Radio Configuration"},
    {757, "Radio ID"},
    {758, "Changes are being sent, please wait."},
    {759, "Reading"},
    {760, "Signal Strength:"},
    {761, "Signal Strength: Reading"},
    {762, "Battery saving level, from Extended Range (1) to Extended Battery (4)"},
    {763, "Extended Battery"},
    {764, "Extended Range"},
    {765, "Microhard Radio Firmware Version"},
    {766, "Packet Retransmissions"},
    {767, "RF Power (mW)"},
    {768, "Read current settings"},
    {769, "Set to defaults"},
    {770, "1 Watt"},
    {771, "Changes have been sent."},
    {772, "Read configuration failed - %1"},
    {773, "No Signal"},
    {774, "Latitude Degrees Greater than 90!"},
    {775, "Latitude Degrees Less than -90!"},
    {776, "Latitude Minutes Greater than 59!"},
    {777, "Latitude Minutes Less than 0!"},
    {778, "Latitude Seconds Greater than 59!"},
    {779, "Latitude Seconds Less than 0!"},
    {780, "Longitude Degrees Greater than 360!"},
    {781, "Longitude Degrees Less than -180!"},
    {782, "Longitude Minutes Greater than 59!"},
    {783, "Longitude Minutes Less than 0!"},
    {784, "Longitude Seconds Greater than 59!"},
    {785, "Longitude Seconds Less than 0!"},
    {786, "Altitude is greater than 5000."},
    {787, "Altitude is less than -2000."},
    {788, "Latitude is greater than 90."},
    {789, "Latitude is less than -90."},
    {790, "Longitude is greater than 180."},
    {791, "Longitude is less than -180."},
    // %1 the file's name, %2 the system's reason or a number; the English is what the file code writes.
    {851, "Cannot open %1: %2."},
    {852, "Cannot read %1: %2."},
    {853, "Cannot read %1."},
    {854, "Cannot create %1: %2."},
    {855, "Cannot write %1."},
    {856, "Cannot save %1: %2."},
    {857, "%1 is not a mark file: it is not a regular file."},
    {858, "%1 is not a point file: it is not a regular file."},
    {859, "%1 is too large for a mark file (more than %2 MiB)."},
    {860, "%1 is too large for a point file (more than %2 MiB)."},
    {861, "%1 is not UTF-8 text: it is UTF-16."},
    {862, "%1 is not UTF-8 text (at %2)."},
    {863, "%1 is neither CSV, GPX, KML nor GeoJSON."},
    {864, "An attempt was made to access %1 past its end."},
    {865, "%1 is damaged: its mark count %2 is negative."},
    {866, "%1 is damaged: its battery levels are not numbers."},
    {StringIds::PollerStuck, "The signal reading did not stop in time; the port was closed."},
    {StringIds::SerialConsole, "Serial Console"},
    {StringIds::RecordSession, "Record Session"},
    {StringIds::ConsolePause, "Pause"},
    {StringIds::ConsoleClear, "Clear"},
    {StringIds::ConsoleHex, "Hex"},
    {StringIds::ConsoleFilter, "Filter:"},
    {StringIds::ConsoleCopy, "Copy"},
    {StringIds::ConsoleSaveAs, "Save As..."},
    {StringIds::ConsoleRecord, "Record"},
    {StringIds::ConsoleTime, "Time"},
    {StringIds::ConsoleDirection, "Direction"},
    {StringIds::ConsoleData, "Data"},
    {StringIds::ConsoleDropped, "%1 older rows dropped"},
    {StringIds::RecordingTo, "Recording to %1"},
    {StringIds::RecordingNotWritten, "The recording could not be written to %1."},
    {StringIds::RecordingStopped, "The recording has stopped: %1 could not be written."},
    {StringIds::ConsoleNotSaved, "The console could not be saved to %1."},
    {StringIds::SessionLogFiles, "Session Logs(*.log);;All Files(*.*)"},
    {StringIds::ConsoleTextFiles, "Text Files(*.txt);;All Files(*.*)"},
    {StringIds::ConsoleSelectAll, "Select All Rows"},
    {450, "Link: receiving"},
    {451, "No answer for %1 s"},
    {452, "Connection lost - waiting for %1\u2026"},
    {453, "Reconnected after %1 s"},
    {454, "(%1 s ago)"},
    {455, "Write Coordinates failed: the connection was lost after %1 of %2 marks. The base may hold only part of the list; write again when the link is back."},
    {456, "the connection was lost"},
    {StringIds::ExportMarks, "Export..."},
    {StringIds::ExportSelectedMarks, "Export Selected..."},
    {StringIds::ImportMarks, "Import..."},
    {StringIds::ImportQuestion, "Import %1 marks from %2?"},
    {StringIds::ImportSkipped, "%1 skipped: %2."},
    {StringIds::ImportAtLine, "line %1: %2"},
    {StringIds::ImportAtPoint, "point %1: %2"},
    {StringIds::ImportNoLatitude, "no latitude"},
    {StringIds::ImportNoLongitude, "no longitude"},
    {StringIds::ImportLatitudeNotNumber, "latitude %1 is not a number"},
    {StringIds::ImportLongitudeNotNumber, "longitude %1 is not a number"},
    {StringIds::ImportAltitudeNotNumber, "altitude %1 is not a number"},
    {StringIds::ImportLatitudeOutOfRange, "latitude %1 is out of range"},
    {StringIds::ImportLongitudeOutOfRange, "longitude %1 is out of range"},
    {StringIds::ImportAltitudeOutOfRange, "altitude %1 is out of range"},
    {StringIds::ImportMoreSkipped, "%1 more"},
    {StringIds::ImportMissingAltitude, "%1 without altitude get altitude 0."},
    {StringIds::ImportAlreadyListed, "%1 already listed will be skipped."},
    {StringIds::ImportNames, "Names: %1"},
    {StringIds::ImportButton, "Import"},
    {StringIds::ImportNothingUsable, "%1 holds no point that can be imported."},
    {StringIds::ExportNothingSelected, "Select the marks to export first."},
    {StringIds::PointFiles, "Point Files"},
    {StringIds::GnssStatusTitle, "GNSS Status"},
    {StringIds::AveragePositionMenu, "Average Position..."},
    {StringIds::AveragePositionTitle, "Average Position"},
    {StringIds::FixQuality, "Fix quality: %1"},
    {StringIds::QualityNoFix, "No fix"},
    {StringIds::QualityGps, "GPS"},
    {StringIds::QualityDgps, "DGPS"},
    {StringIds::QualityPps, "PPS"},
    {StringIds::QualityRtkFixed, "RTK fixed"},
    {StringIds::QualityRtkFloat, "RTK float"},
    {StringIds::QualityEstimated, "Estimated"},
    {StringIds::QualityManual, "Manual"},
    {StringIds::QualitySimulated, "Simulated"},
    {StringIds::QualitySbas, "SBAS"},
    {StringIds::SatellitesUsedInView, "Satellites used / in view: %1"},
    {StringIds::DopLine, "HDOP %1, PDOP %2, VDOP %3"},
    {StringIds::PositionLine, "Latitude %1, longitude %2"},
    {StringIds::HeightsLine, "Ellipsoidal height %1 m, above sea level %2 m"},
    {StringIds::ErrorsLine, "Errors (1 sigma): north %1 m, east %2 m, up %3 m"},
    {StringIds::FixAge, "Age of fix: %1 s"},
    {StringIds::SkyPlot, "Sky plot"},
    {StringIds::SignalLevels, "Signal levels"},
    {StringIds::SatelliteTable, "Satellite table"},
    {StringIds::ColConstellation, "Constellation"},
    {StringIds::ColSatellite, "Satellite"},
    {StringIds::ColElevation, "Elevation"},
    {StringIds::ColAzimuth, "Azimuth"},
    {StringIds::ColSnr, "SNR (dB-Hz)"},
    {StringIds::ColUsed, "Used"},
    {StringIds::Yes, "Yes"},
    {StringIds::No, "No"},
    {StringIds::LivePosition, "Position: %1, %2, %3 m"},
    {StringIds::FromReference, "From reference: %1 m"},
    {StringIds::OffMarkWarning, "The base is %1 m from its reference position. Check that the base stands on the mark in use."},
    {StringIds::NotMeasured, "The base reports a position it was given (%1), not one it measured."},
    {StringIds::Start, "Start"},
    {StringIds::Stop, "Stop"},
    {StringIds::DurationMinutes, "Duration (minutes)"},
    {StringIds::UntilStopped, "Until stopped"},
    {StringIds::FixesUsedSkipped, "Fixes used: %1, skipped: %2"},
    {StringIds::Elapsed, "Elapsed: %1"},
    {StringIds::MeanLine, "Mean: %1, %2, ellipsoidal height %3 m, above sea level %4 m"},
    {StringIds::SigmaLine, "Standard deviation: north %1 m, east %2 m, up %3 m"},
    {StringIds::AddAsMark, "Add as Mark"},
    {StringIds::HeightChoice, "Height of the mark"},
    {StringIds::HeightEllipsoidal, "Ellipsoidal"},
    {StringIds::HeightAboveSeaLevel, "Above sea level"},
    {StringIds::ScatterPlot, "Fixes around the mean, circles at 1 and 2 sigma"},
    {StringIds::CannotAddMean, "The mean cannot be added as a mark: its latitude, longitude or height is outside what a mark may hold."},
    {StringIds::MeanAdded, "Added to the mark list: %1"},
    {StringIds::MeanAlreadyListed, "Already in the mark list: %1"},
    {StringIds::DroppedSentences, "Sentences dropped: %1 with a bad checksum, %2 malformed"},
    {StringIds::NameGlonass, "GLONASS"},
    {StringIds::NameGalileo, "Galileo"},
    {StringIds::NameBeiDou, "BeiDou"},
    {StringIds::NameQzss, "QZSS"},
    {StringIds::NameNavic, "NavIC"},
    {StringIds::NameOther, "Other"},
    {StringIds::NoEllipsoidalHeight, "The receiver did not report the geoid separation: only the height above sea level is known."},
    {StringIds::AddCoordinateGrid, "Add Coordinate (Grid)"},
    {StringIds::CoordinateSystem, "Coordinate System"},
    {StringIds::UtmFromLongitude, "UTM (zone from the longitude)"},
    {StringIds::SearchSystems, "Search (name or EPSG code)"},
    {StringIds::UtmZone, "Zone"},
    {StringIds::Hemisphere, "Hemisphere"},
    {StringIds::North, "North"},
    {StringIds::South, "South"},
    {StringIds::Easting, "Easting"},
    {StringIds::Northing, "Northing"},
    {StringIds::AreaOfUse, "Area of use: %1"},
    {StringIds::ConversionWithAccuracy, "Conversion: %1, accuracy %2"},
    {StringIds::ConversionAccuracyUnknown, "Conversion: %1, accuracy unknown"},
    {StringIds::BallparkWarning, "Warning: no datum shift is known for this system, so only an approximate (ballpark) conversion is used. The position may be off by tens or hundreds of metres."},
    {StringIds::GridNotAvailable, "Grid coordinates are not available in this version of the program."},
    {StringIds::GridNoDatabase, "The coordinate system database (proj.db) was not found."},
    {StringIds::GridUnknownSystem, "Unknown coordinate system."},
    {StringIds::GridNotProjected, "This is not a grid (projected) coordinate system."},
    {StringIds::GridNoSystem, "Choose a coordinate system."},
    {StringIds::GridOutsideArea, "The point lies outside the area of use of %1."},
    {StringIds::GridInvalidValue, "Easting and northing must be numbers within the grid."},
    {StringIds::GridConversionFailed, "The coordinates could not be converted."},
    {StringIds::GridNoMatch, "No coordinate system matches \"%1\"."},
    {StringIds::GridUnit, "Unit: %1"},
    {StringIds::GridColumns, "Grid Columns"},
    {StringIds::ViewMenu, "&View"},
    {StringIds::GridZone, "Zone"},
    {StringIds::CriticalNotBelowWarning, "The critical level (%1) must be below the warning level (%2). Nothing was sent to the base."},
    {StringIds::SettingsConfirmed, "The base confirmed the settings."},
    {StringIds::SettingDiffers, "The base holds %1 %2, not %3."},
    {StringIds::SettingsNotReadBack, "The base did not answer when asked for its settings: it may not hold what was written."},
    {StringIds::MapBrowserAsRoot, "The map cannot be shown in this window while the program runs as root: it was opened in the web browser."},
    {StringIds::MapPageMark, "Mark %1"},
    {StringIds::MapPageNoTiles, "No map tiles could be loaded; the marks are shown on a latitude/longitude grid."},
    {StringIds::MapPageNoLibrary, "The map library (Debian package libjs-leaflet) could not be loaded; the marks are listed below."},
    {StringIds::MapPageNotPlaced, "Not placed (not a valid latitude or longitude)"},
    {StringIds::MapPageLabel, "Map of the marks"},
    {StringIds::DiscardUnwrittenRadio, "The link to the radio is lost and your changes have not been written to it. Close and discard them?"},
    {StringIds::DiscardChanges, "Discard changes"},
};

}  // namespace

const char* BuiltInStringText(int id)
{
    if (id >= StringIds::First && id <= StringIds::Last)
        return kTexts[static_cast<std::size_t>(id - StringIds::First)];
    for (const auto& entry : kAddedTexts)
        if (entry.Id == id && entry.Text)
            return entry.Text;
    return "";
}

int FindStringId(std::string_view text)
{
    for (int id = StringIds::First; id <= StringIds::Last; ++id)
        if (text == kTexts[static_cast<std::size_t>(id - StringIds::First)])
            return id;
    for (const auto& entry : kAddedTexts)
        if (entry.Text && text == entry.Text)
            return entry.Id;
    return 0;
}

std::vector<int> BuiltInStringIds()
{
    std::vector<int> ids;
    for (int id = StringIds::First; id <= StringIds::Last; ++id)
        ids.push_back(id);
    for (const auto& entry : kAddedTexts)
        if (entry.Text)
            ids.push_back(entry.Id);
    return ids;
}
