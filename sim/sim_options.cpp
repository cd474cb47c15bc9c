#include "sim_options.h"

#include <cstdlib>

namespace {

bool ParseNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == '\0';
}

}  // namespace

std::string SimUsage()
{
    return "Usage: varnel-sim [options]\n"
           "Simulated GPS receiver with a radio modem on a pseudo-terminal, registered as a COM alias.\n"
           "Prints one line \"COM<N> <device>\" when ready, then serves until SIGINT or SIGTERM.\n"
           "\n"
           "  --com N                 register as COM N (default: lowest free number from 5)\n"
           "  --receiver base|rover|none   receiver on the line (default base)\n"
           "  --radio microhard|maxstream|satel|none   radio modem behind it (default none)\n"
           "  --direct                the PC is cabled straight to the radio\n"
           "  --silent                answer nothing\n"
           "  --marks FILE            stored marks, one lat,lon,alt per line (default: built-in set)\n"
           "  --log FILE              log every received byte with millisecond time stamps\n"
           "  --exit-after SECONDS    stop by itself after this time\n"
           "  --guard-ms N            silence around \"+++\" for the AT radios (default 1000)\n"
           "  --power internal|external   base power source (default internal: a draining battery)\n"
           "  --link up|down          whether the radio hears its peer (default up)\n"
           "  --refuse COMMAND        the radio answers ERROR to command lines beginning with COMMAND\n"
           "  --ignore-setting KEY    the base drops writes of this battery setting (INTBATVWARN, ...)\n"
           "  --command-idle-ms N     AT radios leave command mode after N ms without a byte\n"
           "  --reply-pieces N        replies go out in pieces of N bytes, 50 ms apart\n"
           "  --replay FILE           be the device of a session log: answer as it did (see README)\n"
           "  --replay-report FILE    with --replay: write a summary of matched and mismatched bursts\n"
           "  --unplug-after SECONDS  close the pseudo-terminal as a pulled cable does\n"
           "  --replug-after SECONDS  then open a new one under the same COM number, state kept\n"
           "  --unplug-every SECONDS  pull it again this long after each replug (replug after 2 s\n"
           "                          unless --replug-after says otherwise)\n"
           "  --nmea on|gga|off       NMEA at start: all streams, GGA only (default), none until asked\n"
           "  --noise-m M             scatter of the fixes, 1 sigma in metres (default 1.5)\n"
           "  --offset-m N            the antenna stands N metres north of the reference position\n"
           "  --fix-quality N         GGA fix quality 0-9 (default 1)\n"
           "  --nmea-damage-every K   every K-th NMEA sentence gets a wrong checksum\n"
           "  --nmea-interval-ms N    NMEA epoch in ms (default 1000; shorter for quick tests)\n"
           "  --help                  this text\n";
}

bool ParseSimOptions(const std::vector<std::string>& args, SSimOptions& options, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        double number = 0;
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--direct") {
            options.direct = true;
        } else if (a == "--silent") {
            options.silent = true;
        } else if (a == "--com") {
            if (!value(v)) return false;
            if (!ParseNumber(v, number) || number < 1 || number > 255 || number != static_cast<int>(number)) {
                error = "--com needs a number from 1 to 255";
                return false;
            }
            options.com = static_cast<int>(number);
        } else if (a == "--receiver") {
            if (!value(v)) return false;
            if (v != "base" && v != "rover" && v != "none") {
                error = "--receiver must be base, rover or none";
                return false;
            }
            options.receiver = v;
        } else if (a == "--radio") {
            if (!value(v)) return false;
            if (v != "microhard" && v != "maxstream" && v != "satel" && v != "none") {
                error = "--radio must be microhard, maxstream, satel or none";
                return false;
            }
            options.radio = v;
        } else if (a == "--marks") {
            if (!value(options.marksFile)) return false;
        } else if (a == "--log") {
            if (!value(options.logFile)) return false;
        } else if (a == "--replay") {
            if (!value(options.replayFile)) return false;
        } else if (a == "--replay-report") {
            if (!value(options.replayReportFile)) return false;
        } else if (a == "--exit-after") {
            if (!value(v)) return false;
            if (!ParseNumber(v, number) || number <= 0) {
                error = "--exit-after needs a positive number of seconds";
                return false;
            }
            options.exitAfterSeconds = number;
        } else if (a == "--guard-ms") {
            if (!value(v)) return false;
            if (!ParseNumber(v, number) || number < 1 || number > 60000) {
                error = "--guard-ms needs a number of milliseconds from 1 to 60000";
                return false;
            }
            options.guardMs = static_cast<int>(number);
        } else if (a == "--power") {
            if (!value(v)) return false;
            if (v != "internal" && v != "external") {
                error = "--power must be internal or external";
                return false;
            }
            options.externalPower = v == "external";
        } else if (a == "--link") {
            if (!value(v)) return false;
            if (v != "up" && v != "down") {
                error = "--link must be up or down";
                return false;
            }
            options.linkUp = v == "up";
        } else if (a == "--ignore-setting") {
            if (!value(options.ignoreSetting)) return false;
            if (options.ignoreSetting.empty()) {
                error = "--ignore-setting needs a setting";
                return false;
            }
        } else if (a == "--refuse") {
            if (!value(options.refuse)) return false;
            if (options.refuse.empty()) {
                error = "--refuse needs a command";
                return false;
            }
        } else if (a == "--command-idle-ms" || a == "--reply-pieces") {
            if (!value(v)) return false;
            if (!ParseNumber(v, number) || number < 1 || number > 600000 || number != static_cast<int>(number)) {
                error = a + " needs a whole number from 1 to 600000";
                return false;
            }
            (a == "--reply-pieces" ? options.replyPieceBytes : options.commandIdleMs) = static_cast<int>(number);
        } else if (a == "--unplug-after" || a == "--replug-after" || a == "--unplug-every") {
            if (!value(v)) return false;
            if (!ParseNumber(v, number) || number <= 0) {
                error = a + " needs a positive number of seconds";
                return false;
            }
            (a == "--unplug-after" ? options.unplugAfterSeconds
             : a == "--replug-after" ? options.replugAfterSeconds : options.unplugEverySeconds) = number;
        } else if (a == "--nmea") {
            if (!value(v)) return false;
            if (v != "on" && v != "gga" && v != "off") {
                error = "--nmea must be on, gga or off";
                return false;
            }
            options.nmea = v;
        } else if (a == "--noise-m" || a == "--offset-m") {
            if (!value(v)) return false;
            if (!ParseNumber(v, number) || number < 0 || number > 100000) {
                error = a + " needs a number of metres from 0 to 100000";
                return false;
            }
            (a == "--noise-m" ? options.noiseM : options.offsetM) = number;
        } else if (a == "--fix-quality") {
            if (!value(v)) return false;
            if (!ParseNumber(v, number) || number < 0 || number > 9 || number != static_cast<int>(number)) {
                error = "--fix-quality needs a whole number from 0 to 9";
                return false;
            }
            options.fixQuality = static_cast<int>(number);
        } else if (a == "--nmea-damage-every" || a == "--nmea-interval-ms") {
            if (!value(v)) return false;
            if (!ParseNumber(v, number) || number < 1 || number > 600000 || number != static_cast<int>(number)) {
                error = a + " needs a whole number from 1 to 600000";
                return false;
            }
            (a == "--nmea-damage-every" ? options.nmeaDamageEvery : options.nmeaIntervalMs) = static_cast<int>(number);
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    if (!options.replayReportFile.empty() && options.replayFile.empty()) {
        error = "--replay-report needs --replay";
        return false;
    }
    if (options.unplugEverySeconds > 0) {
        if (options.unplugAfterSeconds <= 0)
            options.unplugAfterSeconds = options.unplugEverySeconds;
        if (options.replugAfterSeconds <= 0)
            options.replugAfterSeconds = 2;
    } else if (options.replugAfterSeconds > 0 && options.unplugAfterSeconds <= 0) {
        error = "--replug-after needs --unplug-after or --unplug-every";
        return false;
    }
    return true;
}
