#include "tools/decode/FrameCountsJson.h"

using nlohmann::json;

nlohmann::ordered_json RtcmFrameJson(const framing::RtcmFrameInfo& frame) {
    return {{"rtcm", frame.MessageNumber}, {"length", frame.PayloadLength}, {"valid", true}};
}

json BytesJson(const ByteClasses& bytes, const framing::FramerState& framer) {
    return {
        {"sound", bytes.Sound},   {"badChecksum", bytes.BadChecksum},     {"ubx", bytes.Ubx},
        {"rtcm", bytes.Rtcm},     {"badFrames", bytes.BadFrames},         {"noise", bytes.Noise},
        {"total", bytes.Total()}, {"longSentences", framer.LongSentences}};
}

json RtcmStateJson(const RtcmTally& rtcm, const framing::FramerState& framer) {
    json counts = json::array();
    for (int i = 0; i < rtcm.Kinds(); ++i)
        counts.push_back({{"rtcm", rtcm[i].Number}, {"frames", rtcm[i].Frames}});
    return {{"frames", rtcm.Frames()},
            {"badCrcs", framer.RtcmBadCrcs},
            {"other", rtcm.Other()},
            {"counts", counts}};
}
