// The one intake of framed bytes into the store. Every path that reads a
// receiver's stream (the reader thread, a replayed capture, the player,
// lumarokub-decode, the fuzzer, the tests and benchmarks) hands each record
// the framer gave it to Intake::Feed, or lets Intake::Next frame it first,
// so all of them decode exactly as the monitor does.
//
// A record is a sentence, a UBX frame, an RTCM 3 frame or noise (no record:
// only bytes to count). Feed takes the store's lock once per record, and is
// the one place the intake holds it: the dispatch into the store, the byte
// counts and what the caller is told of the store (the console line of a
// frame, a UBX answer, identity or setting) are read under it. The capture
// file is written, the port purged and the sinks told after it is released.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "framing/Framing.h"
#include "intake/UbxIntake.h"
#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"
#include "rtcm/RtcmState.h"

// One record as the framer gave it.
struct FramedRecord {
    RecordKind Kind = RecordKind::None;
    std::string_view Sentence;                     // '$' to CR; empty: no sentence
    const framing::UbxFrameBuffer* Ubx = nullptr;  // the frame of a Ubx record
    const framing::RtcmFrameBuffer* Rtcm = nullptr;
    const framing::FramerState* Framer = nullptr;  // its byte counts; null: not counted
    double ArrivalS = RtcmTally::NoArrival;        // an RTCM frame's arrival, when known
};

// The record of one FrameRecord call into 'buffer' and the frame buffers.
FramedRecord RecordOf(RecordKind kind, const char* buffer, uint16_t length,
                      const framing::UbxFrameBuffer* ubx, const framing::RtcmFrameBuffer* rtcm,
                      const framing::FramerState* framer);

// What the intake tells its caller, each after the store's lock is released.
// Every default does nothing.
class IntakeSinks {
  public:
    virtual ~IntakeSinks() = default;
    // Whether console lines are wanted now (asked once per record).
    virtual bool WantsConsole() { return false; }
    // The sentence as it came, a frame's one readable line.
    virtual void ConsoleLine(const std::string&) {}
    // Line noise or a wrong baud rate: both directions of the port to purge.
    virtual void Purge() {}
    virtual void CaptureFailed() {}
    // A UBX ACK-ACK or ACK-NAK, the version record of a MON-VER (its
    // identity is UbxReceiverIdentity of it), a CFG-MSG or
    // CFG-RATE (the receiver's answers to the setting polls).
    virtual void UbxAnswer(const UbxAckRecord&) {}
    virtual void UbxIdentity(const UbxVersionRecord&) {}
    virtual void UbxSetting(const UbxSettingAnswer&) {}
    // The key values of a CFG-VALGET answer.
    virtual void UbxKeyValues(const UbxKeyValuesRecord&) {}
    // The views are to be refreshed.
    virtual void Refresh() {}
};

// What one record was, for callers that tell it on (the JSON of
// lumarokub-decode, the reader's hooks).
struct IntakeResult {
    RecordKind Kind = RecordKind::None;
    std::string_view Sentence;  // the sentence fed, empty for anything else
    DispatchResult Dispatch;    // of a sentence
    UbxDispatchResult Ubx;      // of a UBX frame
    RtcmFrameResult Rtcm;       // of an RTCM 3 frame
    bool Refresh = false;
};

class Intake {
  public:
    explicit Intake(NMEA_Manager& store);
    ~Intake();

    NMEA_Manager& Store() { return FStore; }

    // Takes one record into the store and tells the sinks.
    IntakeResult Feed(const FramedRecord& record, IntakeSinks& sinks);

    // Frames the next record of 'source' with the intake's own framer and
    // feeds it; the byte counts go into the store, an RTCM 3 frame timed
    // at 'arrivalS' (none for a file).
    template <class Source>
    IntakeResult Next(Source& source, IntakeSinks& sinks, double arrivalS = RtcmTally::NoArrival) {
        uint16_t length = 0;
        const RecordKind kind = FrameRecord(source, FBuffer, length, FFramer, FUbx.get(),
                                            FRtcm.get(), [] { return false; });
        FramedRecord record = RecordOf(kind, FBuffer, length, FUbx.get(), FRtcm.get(), &FFramer);
        record.ArrivalS = arrivalS;
        return Feed(record, sinks);
    }

    // The framer of Next and the frames it framed last.
    const framing::FramerState& Framer() const { return FFramer; }
    const framing::UbxFrameBuffer& UbxFrame() const { return *FUbx; }
    const framing::RtcmFrameBuffer& RtcmFrame() const { return *FRtcm; }

  private:
    void Count(const FramedRecord& record, bool sound);
    void CopyUbxEvents(const UbxDispatchResult& result);
    void TellUbxEvents(const UbxDispatchResult& result, IntakeSinks& sinks) const;

    NMEA_Manager& FStore;
    std::string FLine;
    uint64_t FCountedBytes = 0;  // the framer's byte total the store has counted
    // What a UBX answer, identity or setting frame told, copied under the lock.
    UbxAckRecord FAnswer;
    UbxVersionRecord FVersion;
    UbxSettingAnswer FSetting;
    UbxKeyValuesRecord FKeyValues;
    // Next's own framing.
    framing::FramerState FFramer;
    char FBuffer[SentenceBufferSize] = {};
    std::unique_ptr<framing::UbxFrameBuffer> FUbx;
    std::unique_ptr<framing::RtcmFrameBuffer> FRtcm;
};
