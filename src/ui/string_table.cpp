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
    {670, "The signal reading did not stop in time; the port was closed."},
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
