#include "tools/decode/StreamDecoder.h"

#include "nmea/Dispatch.h"
#include "tools/decode/FrameCountsJson.h"
#include "tools/decode/HealthJson.h"
#include "tools/decode/JsonOutput.h"
#include "tools/decode/RtcmJson.h"
#include "tools/decode/UbxJson.h"

nlohmann::json FinalStateJson(const NMEA_Manager& store, const DecodeCounts& counts,
                              const framing::FramerState& framer, double nowS,
                              const InterferenceWatch* watch) {
    nlohmann::json state = StoreJson(store, counts);
    if (store.Ubx.Frames + framer.UbxBadChecksums > 0)
        state["Ubx"] = UbxStateJson(store.Ubx, framer);
    if (store.Rtcm.Frames() + framer.RtcmBadCrcs > 0)
        state["Rtcm"] = RtcmStateJson(store, framer, nowS);
    if (nlohmann::json health = HealthJson(store.Ubx); !health.is_null())
        state["Health"] = std::move(health);
    if (watch && !watch->Events().empty()) state["Events"] = EventsJson(watch->Events());
    state["bytes"] = BytesJson(store.Bytes.Classes(), framer);
    return state;
}

StreamDecoder::StreamDecoder(bool final)
    : FFinal(final),
      FFrame(std::make_unique<framing::UbxFrameBuffer>()),
      FRtcmFrame(std::make_unique<framing::RtcmFrameBuffer>()),
      FStore(std::make_unique<NMEA_Manager>()),
      FRecording(std::make_unique<EpochRecorder>(EpochRecorder::DefaultLimit, [] { return 0u; })) {
    FStore->Epochs = FRecording.get();
}

bool StreamDecoder::DecodeNext(StreamByteSource& source, std::ostream& out) {
    uint16_t length = 0;
    const RecordKind kind = FrameRecord(source, FBuffer, length, FFramer, FFrame.get(),
                                        FRtcmFrame.get(), [] { return false; });
    FStore->Rtcm.Framed(FFramer);
    if (kind == RecordKind::Ubx) {
        const UbxDispatchResult result = DispatchUbx(FFrame->Bytes, FFrame->Size, *FStore);
        FStore->Bytes.Framed(FFramer, kind, false);
        return FFinal || WriteJsonLine(out, UbxFrameJson(result, *FStore));
    }
    if (kind == RecordKind::Rtcm) {
        // A file tells no arrival times: its frames are counted untimed.
        const RtcmFrameResult result =
            FStore->Rtcm.Take(FRtcmFrame->Payload(), FRtcmFrame->PayloadLength());
        FStore->Bytes.Framed(FFramer, kind, false);
        return FFinal || WriteJsonLine(out, RtcmFrameJson(FFramer.Rtcm, result, *FStore));
    }
    if (length == 0) {
        FStore->Bytes.Framed(FFramer, kind, false);
        return true;
    }
    const std::string_view sentence = SentenceText(FBuffer, length);
    const DispatchResult result = DispatchSentence(sentence, *FStore, nullptr);
    FStore->Bytes.Framed(FFramer, kind, result.Valid);
    FCounts.Add(result);
    return FFinal || WriteJsonLine(out, SentenceJson(sentence, result));
}

bool StreamDecoder::WriteState(std::ostream& out) const {
    return WriteJsonLine(
        out, FinalStateJson(*FStore, FCounts, FFramer, RtcmTally::NoArrival, &FRecording->Watch()));
}
