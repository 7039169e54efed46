// lumarokub-decode: headless decoding of NMEA 0183 captures into JSON, through
// the monitor's own framing, dispatch, handlers and formatting.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "LumarokVersion.h"
#include "framing/Framing.h"
#include "nmea/Dispatch.h"
#include "serial/LinkUrl.h"
#include "tools/decode/DecodeOptions.h"
#include "tools/decode/PortDecode.h"
#include "tools/decode/StoreJson.h"
#include "tools/decode/StreamByteSource.h"

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitUnreadable = 2;

int DecodeStream(std::FILE* file, const DecodeOptions& options, const char* name) {
    auto source = std::make_unique<StreamByteSource>(file);
    NMEA_Manager store;
    DecodeCounts counts;
    char buffer[SentenceBufferSize];
    const auto never = [] { return false; };
    while (!source->AtEnd()) {
        const uint16_t length = FrameSentence(*source, buffer, never);
        if (length == 0) continue;
        const std::string_view sentence = SentenceText(buffer, length);
        const DispatchResult result = DispatchSentence(sentence, store, nullptr);
        counts.Add(result);
        if (!options.Final) std::cout << SentenceJson(sentence, result).dump() << '\n';
    }
    if (source->Failed()) {
        std::cerr << "lumarokub-decode: " << name << ": read error\n";
        return ExitUnreadable;
    }
    if (options.Final) std::cout << StoreJson(store, counts).dump() << '\n';
    return 0;
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
        return 0;
    }
    if (options.Version) {
        std::cout << "lumarokub-decode " LUMAROKUB_VERSION "\n";
        return 0;
    }
    std::ios::sync_with_stdio(false);
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
