#pragma once

// Command line of varnel-sim.

#include <string>
#include <vector>

struct SSimOptions {
    int com = 0;                      // 0: the lowest free COM number from 5
    std::string receiver = "base";    // base | rover | none
    std::string radio = "none";       // microhard | maxstream | satel | none
    bool direct = false;              // the PC is cabled straight to the radio
    bool silent = false;              // answer nothing
    std::string marksFile;
    std::string logFile;
    double exitAfterSeconds = 0;      // 0: serve until SIGINT or SIGTERM
    int guardMs = 1000;               // silence that frames "+++"
    bool externalPower = false;       // base runs on external power instead of its battery
    bool linkUp = true;               // the radio hears its peer
    std::string refuse;               // the radio answers "ERROR" to command lines beginning with this
    std::string ignoreSetting;        // the base takes this "$KBASE" setting (INTBATVWARN, ...) and drops it
    int commandIdleMs = 0;            // AT radios drop command mode after this much silence (0: never)
    int replyPieceBytes = 0;          // send replies in pieces of this many bytes (0: whole)
    std::string replayFile;           // answer as the device of this session log did
    std::string replayReportFile;     // summary of the replay, written at the end
    double unplugAfterSeconds = 0;    // pull the cable this long after start (0: never)
    double replugAfterSeconds = 0;    // plug it back this long after pulling it (0: never)
    double unplugEverySeconds = 0;    // pull it again this long after each replug (0: once)
    std::string nmea = "gga";         // on | gga | off: the NMEA streams at start
    double noiseM = 1.5;              // scatter of the fixes (1 sigma, metres)
    double offsetM = 0;               // antenna this far north of the reference position
    int fixQuality = 1;               // GGA's quality field
    int nmeaDamageEvery = 0;          // every K-th NMEA sentence with a wrong checksum
    int nmeaIntervalMs = 1000;        // NMEA epoch
    bool help = false;
};

// Parses argv; on failure returns false with a message in error.
bool ParseSimOptions(const std::vector<std::string>& args, SSimOptions& options, std::string& error);

std::string SimUsage();
