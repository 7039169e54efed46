#include "tools/decode/DecodeOptions.h"

#include <cstring>

#include "tools/decode/PortDecode.h"

const char* const DecodeUsage =
    "Usage: lumarokub-decode [--final] [FILE]\n"
    "   or: lumarokub-decode [--final] --port PATH|URL [--baud N] [--count N]\n"
    "                        [--corrections ntrip://[USER[:PASSWORD]@]HOST[:PORT]/MOUNT\n"
    "                         [--gga-position LAT,LON,HEIGHT]]\n"
    "Decodes NMEA 0183 sentences, UBX frames and RTCM 3 frames from FILE (standard\n"
    "input when FILE is absent or -) and prints one JSON object per sentence or\n"
    "frame, or with --final the decoded state once\n"
    "the input ends. With --port it reads the serial port PATH at N baud (4800 when\n"
    "not given), or the link URL, until interrupted or --count sentences have been\n"
    "read; it exits with status 3 when the device goes away or the link ends, and\n"
    "with status 2 when FILE cannot be read or standard output cannot be written.\n"
    "--corrections streams an NTRIP caster's mountpoint to the port (a serial port or\n"
    "a tcp:// link) and --final tells its state under \"corrections\". A network\n"
    "mountpoint gets the receiver's GGA, or while it sends none one built from\n"
    "--gga-position (degrees, metres above sea level).\n"
    "A byte outside printable ASCII in a text is written as the code point of its value.\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "Link URLs:\n";

bool ParseDecodeOptions(int argc, char** argv, DecodeOptions& options, std::string& error) {
    bool haveFile = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--final") == 0) {
            options.Final = true;
        } else if (IsPortOption(arg)) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            if (!ParsePortOption(arg, argv[++i], options, error)) return false;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.Help = true;
        } else if (std::strcmp(arg, "--version") == 0) {
            options.Version = true;
        } else if (arg[0] == '-' && arg[1] != 0) {
            error = std::string("unknown option ") + arg;
            return false;
        } else if (haveFile) {
            error = "only one FILE may be given";
            return false;
        } else {
            options.File = arg;
            haveFile = true;
        }
    }
    return CheckPortOptions(options, haveFile, error);
}
