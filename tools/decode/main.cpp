// lumarokub-decode: headless decoding of NMEA 0183, UBX and RTCM 3 captures into JSON,
// through the monitor's own framing, dispatch, handlers and formatting.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "LumarokVersion.h"
#include "serial/LinkUrl.h"
#include "tools/decode/DecodeOptions.h"
#include "tools/decode/JsonOutput.h"
#include "tools/decode/PortDecode.h"
#include "tools/decode/StreamDecoder.h"

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitUnreadable = 2;

// Decodes `file` to standard output; ends early once the output has failed.
int DecodeStream(std::FILE* file, const DecodeOptions& options, const char* name) {
    auto source = std::make_unique<StreamByteSource>(file);
    auto decoder = std::make_unique<StreamDecoder>(options.Final);
    while (decoder->More(*source) && decoder->DecodeNext(*source, std::cout)) {
    }
    if (!std::cout) return ExitOutputFailed;
    if (source->Failed()) {
        std::cerr << "lumarokub-decode: " << name << ": read error\n";
        return ExitUnreadable;
    }
    decoder->Finish(std::cout);
    return 0;
}

int Decode(const DecodeOptions& options) {
    if (!options.Port.empty()) return DecodePort(options);
    if (options.File == "-") return DecodeStream(stdin, options, "standard input");
    std::FILE* file = std::fopen(options.File.c_str(), "rb");
    if (!file) {
        std::cerr << "lumarokub-decode: " << options.File << ": " << std::strerror(errno) << '\n';
        return ExitUnreadable;
    }
    const int status = DecodeStream(file, options, options.File.c_str());
    std::fclose(file);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    DecodeOptions options;
    std::string error;
    if (!ParseDecodeOptions(argc, argv, options, error)) {
        std::cerr << "lumarokub-decode: " << error << '\n' << DecodeUsage << LinkUsageText();
        return ExitUsage;
    }
    if (options.Help) {
        std::cout << DecodeUsage << LinkUsageText();
        return FinishOutput(std::cout, std::cerr, 0);
    }
    if (options.Version) {
        std::cout << "lumarokub-decode " LUMAROKUB_VERSION "\n";
        return FinishOutput(std::cout, std::cerr, 0);
    }
    std::ios::sync_with_stdio(false);
    return FinishOutput(std::cout, std::cerr, Decode(options));
}
