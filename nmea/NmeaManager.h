// The receiver-state store: the latest record of each sentence type, the
// display texts formatted from them and the capture stream. The reader thread
// writes it while holding Lock(); the views read it holding the same lock.
//
// The display texts are formatted when they are read, not for every
// sentence: a handler notes the texts its sentence changed (TextsChanged),
// and Display() formats what was noted, in the order the sentences came, so
// that the texts read as if each sentence had been formatted on arrival. A
// receiver sending hundreds of sentences a second then costs the formatting
// of the few reads the views make.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "nmea/ByteTally.h"
#include "nmea/CaptureStream.h"
#include "nmea/EpochSink.h"
#include "nmea/GPSUtils.h"
#include "nmea/PositionText.h"
#include "nmea/RtkState.h"
#include "nmea/SatelliteSky.h"
#include "nmea/SentenceTally.h"
#include "nmea/SolutionTalkers.h"
#include "rtcm/RtcmState.h"
#include "ubx/UbxRecords.h"

// What a display text was last formatted from, and the text it then got.
// A text whose inputs have not changed is not formatted again; a text
// written by anyone else meanwhile is put back as it was formatted.
struct TextMemo {
    bool Valid = false;
    uint64_t Key[2] = {};
    std::string Text;
};

struct DataDisplay {
    std::string FixModeText = "NON Fix";
    std::string FixValidText;
    std::string HdopText = "0.00";
    std::string VdopText = "0.00";
    std::string PdopText = "0.00";
    std::string UsedPrnText = "0";
    std::string SatsUsedText = "0";
    std::string DateText;
    std::string LocalTimeText;
    std::string GmtText;
    std::string LatText = "0.00";
    std::string LonText = "0.00";
    std::string SpeedText = "0.000m/s";
    std::string CourseText = "0.00";
    std::string AltText = "0.00";

    // One memo for each text formatted from numbers (Formatting.cpp).
    enum Memoized {
        Hdop,
        Vdop,
        Pdop,
        UsedPrn,
        SatsUsed,
        Date,
        LocalTime,
        Gmt,
        Lat,
        Lon,
        Speed,
        Course,
        Alt,
        MemoCount
    };
    TextMemo Memos[MemoCount];
};

// The sky's used satellites as a text job saw them when it was noted: the
// job's texts are formatted later from this, not from the sky as it is then.
struct UsedSkyNote {
    bool Extended = false;  // the GPS table cannot show the whole sky
    uint64_t Stamp = 0;     // the sky's used stamp
    int Count = 0;
    std::string List;  // the list text of Stamp ("G5 R70 E3 ")
    bool ListKnown = false;
};

class NMEA_Manager {
  public:
    NMEA_Manager();

    NMEA_GGA_Object Gga;
    NMEA_GLL_Object Gll;
    NMEA_GSA_Object Gsa;
    NMEA_GSV_Object Gsv;
    NMEA_RMC_Object Rmc;
    NMEA_VTG_Object Vtg;
    CaptureStream Capture;
    // Every system of a multi-constellation receiver, beside the GPS records.
    SatelliteSky Sky;
    SolutionTalkers Talkers;
    // What UBX frames told, beside the NMEA records.
    UbxState Ubx;
    // Sentences whose checksum was sound, counted since the store was made:
    // a count that stops moving means the receiver has fallen silent.
    uint64_t ValidSentences = 0;
    // Sound UBX frames, counted the same way (the UBX part's own counts start
    // over with each link).
    uint64_t SoundUbxFrames = 0;
    // Both: what the receiver has said since the store was made.
    uint64_t SoundRecords() const { return ValidSentences + SoundUbxFrames; }
    // The link has delivered a sentence with a sound checksum: from then on
    // a sentence without one is refused (Dispatch.h). The reader clears it
    // for each new link.
    bool ChecksumsSeen = false;
    // Sentences by address, sound and failed, as they came over the link.
    SentenceTally Tally;
    // Every byte read, by class.
    ByteTally Bytes;
    // RTCM 3 frames by message number, and what they told.
    RtcmState Rtcm;
    // The receiver's solution as it says it (RTK fixed, float, DGNSS ...).
    RtkState Rtk;
    // The position fields of the last GGA or RMC that filled the records.
    PositionText Position;
    // Told at the end of each receiver cycle (none: nobody records).
    EpochSink* Epochs = nullptr;

    // The display texts, brought up to date with the records. Writing a text
    // directly is allowed (it stands until a later sentence formats it).
    DataDisplay& Display() {
        if (FPendingCount != 0) FormatPending();
        return FDisplay;
    }
    const DataDisplay& Display() const {
        if (FPendingCount != 0) FormatPending();
        return FDisplay;
    }
    // Notes that the texts of 'job' (a sentence type, or
    // TextsOfAllSystemsUsed) are to be formatted again from the records.
    void TextsChanged(uint8_t job) {
        if (FPendingCount != 0 && FPending[FPendingCount - 1] == job) return;
        NoteTexts(job);
    }
    // The same for a job that reads the sky's used satellites (the GSA's, and
    // TextsOfAllSystemsUsed), which notes them as they are now.
    void SkyTextsChanged(uint8_t job);
    const UsedSkyNote& SkyNoteOf(uint8_t job) const;
    // True while the texts of 'job' wait to be formatted.
    bool TextsPending(uint8_t job) const;

    // The one lock of the store and the capture stream.
    std::mutex& Lock() { return FLock; }

  private:
    static constexpr int TextJobCount = 16;

    void NoteTexts(uint8_t job);
    void FormatPending() const;

    std::mutex FLock;
    // The texts are what the records say: formatting them changes nothing
    // a reader can tell, so a const store formats them too.
    mutable DataDisplay FDisplay;
    // The text jobs noted since the texts were last read, oldest first, each once.
    mutable uint8_t FPending[TextJobCount] = {};
    mutable int FPendingCount = 0;
    UsedSkyNote FSkyNotes[2];
};
