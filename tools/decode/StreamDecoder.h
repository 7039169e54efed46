// The decoder of a byte stream: frames each record, takes it into its own
// store through the monitor's intake and writes one JSON line for it (or, with --final, the state
// at the end), exactly as lumarokub-decode does with a file.
#pragma once

#include <memory>
#include <ostream>

#include "eval/EpochRecorder.h"
#include "framing/Framing.h"
#include "intake/Intake.h"
#include "nmea/NmeaManager.h"
#include "tools/decode/StoreJson.h"
#include "tools/decode/StreamByteSource.h"

// The --final state: the store's, with "Ubx" only for a receiver that sent
// UBX and "Rtcm" only for a stream with RTCM 3 frames, so NMEA output stays as
// it was, and the bytes read by class. RTCM 3 ages are taken at 'nowS' (the
// clock the frames were timed by; none for a file). "Health" comes for a
// receiver that told its health, "Events" when the watch raised an alarm.
nlohmann::json FinalStateJson(const NMEA_Manager& store, const DecodeCounts& counts,
                              const framing::FramerState& framer,
                              double nowS = RtcmTally::NoArrival,
                              const InterferenceWatch* watch = nullptr);

class StreamDecoder {
  public:
    // `final`: no line per record, the state at Finish.
    explicit StreamDecoder(bool final);

    // True while `source` holds bytes or a frame that cut the last sentence
    // short waits to be framed, even at the end.
    bool More(StreamByteSource& source) const {
        return !source.AtEnd() || FIntake->Framer().Pending != framing::PendingFrame::None;
    }
    // Frames and decodes the next record of `source`, writing its line to
    // `out`; false once `out` has failed.
    bool DecodeNext(StreamByteSource& source, std::ostream& out);
    // Writes the final state when asked for; false when `out` has failed.
    bool Finish(std::ostream& out) const { return !FFinal || WriteState(out); }
    // Writes the state decoded so far; false when `out` has failed.
    bool WriteState(std::ostream& out) const;

  private:
    const bool FFinal;
    std::unique_ptr<NMEA_Manager> FStore;
    std::unique_ptr<EpochRecorder> FRecording;  // on a clock that stands still: a file has none
    std::unique_ptr<Intake> FIntake;
    DecodeCounts FCounts;
};
