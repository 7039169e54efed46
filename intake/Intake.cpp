#include "intake/Intake.h"

#include <mutex>

namespace {

constexpr uint8_t UbxAckClass = 0x05;
constexpr uint8_t UbxMonClass = 0x0A;
constexpr uint8_t UbxMonVerId = 0x04;
constexpr uint8_t UbxCfgClass = 0x06;
constexpr uint8_t UbxCfgMsgId = 0x01;
constexpr uint8_t UbxCfgRateId = 0x08;
constexpr uint8_t UbxCfgValGetId = 0x8B;

bool IsAnswer(const UbxDecodeResult& r) {
    return r.Decoded && r.Class == UbxAckClass;
}
bool IsIdentity(const UbxDecodeResult& r) {
    return r.Decoded && r.Class == UbxMonClass && r.Id == UbxMonVerId;
}
bool IsKeyValues(const UbxDecodeResult& r) {
    return r.Decoded && r.Class == UbxCfgClass && r.Id == UbxCfgValGetId;
}

bool IsSetting(const UbxDecodeResult& r) {
    return r.Decoded && r.Class == UbxCfgClass && (r.Id == UbxCfgMsgId || r.Id == UbxCfgRateId);
}

// Dispatch asks for a purge while the store is locked; the purge itself may
// wait for a command being written, so it is told once the lock is released.
class DeferredPurge final : public PortPurger {
  public:
    void PurgeBoth() override { Requested = true; }
    bool Requested = false;
};

}  // namespace

FramedRecord RecordOf(RecordKind kind, const char* buffer, uint16_t length,
                      const framing::UbxFrameBuffer* ubx, const framing::RtcmFrameBuffer* rtcm,
                      const framing::FramerState* framer) {
    FramedRecord record;
    record.Kind = kind;
    record.Framer = framer;
    if (kind == RecordKind::Ubx)
        record.Ubx = ubx;
    else if (kind == RecordKind::Rtcm)
        record.Rtcm = rtcm;
    else if (length != 0)
        record.Sentence = SentenceText(buffer, length);
    return record;
}

Intake::Intake(NMEA_Manager& store)
    : FStore(store),
      FUbx(std::make_unique<framing::UbxFrameBuffer>()),
      FRtcm(std::make_unique<framing::RtcmFrameBuffer>()) {}

Intake::~Intake() = default;

void Intake::Count(const FramedRecord& record, bool sound) {
    if (!record.Framer) return;
    FStore.Bytes.Framed(*record.Framer, record.Kind, sound);
    FStore.Rtcm.Framed(*record.Framer);
    FCountedBytes = record.Framer->Bytes.Total();
}

void Intake::CopyUbxEvents(const UbxDispatchResult& result) {
    const UbxState& ubx = FStore.Ubx;
    if (IsAnswer(result)) FAnswer = ubx.LastAnswer;
    if (IsIdentity(result)) FVersion = ubx.Version;
    if (IsSetting(result)) {
        FSetting.IsRate = result.Id == UbxCfgRateId;
        FSetting.Msg = ubx.CfgMsg;
        FSetting.Rate = ubx.CfgRate;
    }
    if (IsKeyValues(result)) FKeyValues = ubx.KeyValues;
}

void Intake::TellUbxEvents(const UbxDispatchResult& result, IntakeSinks& sinks) const {
    if (IsAnswer(result)) sinks.UbxAnswer(FAnswer);
    if (IsIdentity(result)) sinks.UbxIdentity(FVersion);
    if (IsSetting(result)) sinks.UbxSetting(FSetting);
    if (IsKeyValues(result)) sinks.UbxKeyValues(FKeyValues);
}

IntakeResult Intake::Feed(const FramedRecord& record, IntakeSinks& sinks) {
    IntakeResult result;
    result.Kind = record.Kind;
    const bool console = sinks.WantsConsole();
    if (record.Ubx) {
        const framing::UbxFrameBuffer& frame = *record.Ubx;
        {
            std::lock_guard<std::mutex> guard(FStore.Lock());
            result.Ubx = DispatchUbx(frame.Bytes, frame.Size, FStore);
            Count(record, false);
            if (console) UbxConsoleLine(result.Ubx, FStore, FLine);
            CopyUbxEvents(result.Ubx);
        }
        if (console) sinks.ConsoleLine(FLine);
        if (CaptureUbxFrame(frame.Bytes, frame.Size, FStore)) sinks.CaptureFailed();
        TellUbxEvents(result.Ubx, sinks);
        result.Refresh = result.Ubx.Refresh;
    } else if (record.Rtcm) {
        const framing::RtcmFrameBuffer& frame = *record.Rtcm;
        {
            std::lock_guard<std::mutex> guard(FStore.Lock());
            result.Rtcm = FStore.Rtcm.Take(frame.Payload(), frame.PayloadLength(), record.ArrivalS);
            Count(record, false);
        }
        // "RTCM 1077 (123 bytes)"
        if (console)
            sinks.ConsoleLine("RTCM " + std::to_string(result.Rtcm.Number) + " (" +
                              std::to_string(frame.PayloadLength()) + " bytes)");
    } else if (!record.Sentence.empty()) {
        if (console) sinks.ConsoleLine(FLine.assign(record.Sentence));
        DeferredPurge purge;
        {
            std::lock_guard<std::mutex> guard(FStore.Lock());
            result.Dispatch = DispatchSentence(record.Sentence, FStore, &purge);
            Count(record, result.Dispatch.Valid);
        }
        result.Sentence = record.Sentence;
        result.Dispatch.CaptureFailed = CaptureSentence(record.Sentence, FStore);
        if (purge.Requested) sinks.Purge();
        if (result.Dispatch.CaptureFailed) sinks.CaptureFailed();
        result.Refresh = result.Dispatch.Refresh;
    } else if (record.Framer && record.Framer->Bytes.Total() != FCountedBytes) {
        std::lock_guard<std::mutex> guard(FStore.Lock());
        Count(record, false);
    }
    if (result.Refresh) sinks.Refresh();
    return result;
}
