// lumarokub-decode: headless decoding of NMEA 0183 and UBX captures into JSON,
// through the monitor's own framing, dispatch, handlers and formatting.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "LumarokVersion.h"
#include "framing/Framing.h"
#include "nmea/Dispatch.h"
#include "serial/LinkUrl.h"
#include "tools/decode/DecodeOptions.h"
#include "tools/decode/FrameCountsJson.h"
#include "tools/decode/PortDecode.h"
#include "tools/decode/StoreJson.h"
#include "tools/decode/StreamByteSource.h"
#include "tools/decode/UbxJson.h"

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitUnreadable = 2;

int DecodeStream(std::FILE* file, const DecodeOptions& options, const char* name) {
    auto source = std::make_unique<StreamByteSource>(file);
    auto frame = std::make_unique<framing::UbxFrameBuffer>();
    auto store = std::make_unique<NMEA_Manager>();
    framing::FramerState framer;
    DecodeCounts counts;
    char buffer[SentenceBufferSize];
    const auto never = [] { return false; };
    // A frame that cut the last sentence short is framed, even at the end.
    while (!source->AtEnd() || framer.Pending != framing::PendingFrame::None) {
        uint16_t length = 0;
        const RecordKind kind = FrameRecord(*source, buffer, length, framer, frame.get(), never);
        if (kind == RecordKind::Ubx) {
            const UbxDispatchResult result = DispatchUbx(frame->Bytes, frame->Size, *store);
            store->Bytes.Framed(framer, kind, false);
            if (!options.Final) std::cout << UbxFrameJson(result, *store).dump() << '\n';
            continue;
        }
        if (kind == RecordKind::Rtcm) {
            store->Rtcm.Count(framer.Rtcm.MessageNumber);
            store->Bytes.Framed(framer, kind, false);
            if (!options.Final) std::cout << RtcmFrameJson(framer.Rtcm).dump() << '\n';
            continue;
        }
        if (length == 0) {
            store->Bytes.Framed(framer, kind, false);
            continue;
        }
        const std::string_view sentence = SentenceText(buffer, length);
        const DispatchResult result = DispatchSentence(sentence, *store, nullptr);
        store->Bytes.Framed(framer, kind, result.Valid);
        counts.Add(result);
        if (!options.Final) std::cout << SentenceJson(sentence, result).dump() << '\n';
    }
    if (source->Failed()) {
        std::cerr << "lumarokub-decode: " << name << ": read error\n";
        return ExitUnreadable;
    }
    if (options.Final) {
        nlohmann::json state = StoreJson(*store, counts);
        // Only a receiver that sent UBX gets "Ubx": NMEA output stays as it was.
        if (store->Ubx.Frames + framer.UbxBadChecksums > 0)
            state["Ubx"] = UbxStateJson(store->Ubx, framer);
        if (store->Rtcm.Frames() + framer.RtcmBadCrcs > 0)
            state["Rtcm"] = RtcmStateJson(store->Rtcm, framer);
        state["bytes"] = BytesJson(store->Bytes.Classes(), framer);
        std::cout << state.dump() << '\n';
    }
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
