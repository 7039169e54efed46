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
      FStore(std::make_unique<NMEA_Manager>()),
      FRecording(std::make_unique<EpochRecorder>(EpochRecorder::DefaultLimit, [] { return 0u; })),
      FIntake(std::make_unique<Intake>(*FStore)) {
    FStore->Epochs = FRecording.get();
}

bool StreamDecoder::DecodeNext(StreamByteSource& source, std::ostream& out) {
    IntakeSinks none;
    // A file tells no arrival times: its RTCM 3 frames are counted untimed.
    const IntakeResult result = FIntake->Next(source, none);
    if (result.Kind == RecordKind::Ubx)
        return FFinal || WriteJsonLine(out, UbxFrameJson(result.Ubx, *FStore));
    if (result.Kind == RecordKind::Rtcm)
        return FFinal ||
               WriteJsonLine(out, RtcmFrameJson(FIntake->Framer().Rtcm, result.Rtcm, *FStore));
    if (result.Sentence.empty()) return true;
    FCounts.Add(result.Dispatch);
    return FFinal || WriteJsonLine(out, SentenceJson(result.Sentence, result.Dispatch));
}

bool StreamDecoder::WriteState(std::ostream& out) const {
    return WriteJsonLine(out, FinalStateJson(*FStore, FCounts, FIntake->Framer(),
                                             RtcmTally::NoArrival, &FRecording->Watch()));
}
