#include "tools/decode/StreamDecoder.h"

#include "nmea/Dispatch.h"
#include "tools/decode/JsonOutput.h"
#include "tools/decode/UbxJson.h"

nlohmann::json FinalStateJson(const NMEA_Manager& store, const DecodeCounts& counts,
                              const framing::FramerState& framer) {
    nlohmann::json state = StoreJson(store, counts);
    if (store.Ubx.Frames + framer.UbxBadChecksums > 0)
        state["Ubx"] = UbxStateJson(store.Ubx, framer);
    return state;
}

StreamDecoder::StreamDecoder(bool final)
    : FFinal(final),
      FFrame(std::make_unique<framing::UbxFrameBuffer>()),
      FStore(std::make_unique<NMEA_Manager>()) {}

bool StreamDecoder::DecodeNext(StreamByteSource& source, std::ostream& out) {
    uint16_t length = 0;
    const RecordKind kind =
        FrameRecord(source, FBuffer, length, FFramer, FFrame.get(), [] { return false; });
    if (kind == RecordKind::Ubx) {
        const UbxDispatchResult result = DispatchUbx(FFrame->Bytes, FFrame->Size, *FStore);
        return FFinal || WriteJsonLine(out, UbxFrameJson(result, *FStore));
    }
    if (length == 0) return true;
    const std::string_view sentence = SentenceText(FBuffer, length);
    const DispatchResult result = DispatchSentence(sentence, *FStore, nullptr);
    FCounts.Add(result);
    return FFinal || WriteJsonLine(out, SentenceJson(sentence, result));
}

bool StreamDecoder::WriteState(std::ostream& out) const {
    return WriteJsonLine(out, FinalStateJson(*FStore, FCounts, FFramer));
}
