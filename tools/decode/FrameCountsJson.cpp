#include "tools/decode/FrameCountsJson.h"

using nlohmann::json;

json BytesJson(const ByteClasses& bytes, const framing::FramerState& framer) {
    return {
        {"sound", bytes.Sound},   {"badChecksum", bytes.BadChecksum},     {"ubx", bytes.Ubx},
        {"rtcm", bytes.Rtcm},     {"badFrames", bytes.BadFrames},         {"noise", bytes.Noise},
        {"total", bytes.Total()}, {"longSentences", framer.LongSentences}};
}
