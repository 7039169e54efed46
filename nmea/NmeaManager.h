// The receiver-state store: the latest record of each sentence type, the
// display texts formatted from them and the capture stream. The reader thread
// writes it while holding Lock(); the views read it holding the same lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "nmea/CaptureStream.h"
#include "nmea/EpochSink.h"
#include "nmea/GPSUtils.h"
#include "nmea/PositionText.h"
#include "nmea/SatelliteSky.h"
#include "nmea/SentenceTally.h"
#include "nmea/SolutionTalkers.h"
#include "nmea/UbxRecords.h"

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

class NMEA_Manager {
  public:
    NMEA_Manager();

    NMEA_GGA_Object Gga;
    NMEA_GLL_Object Gll;
    NMEA_GSA_Object Gsa;
    NMEA_GSV_Object Gsv;
    NMEA_RMC_Object Rmc;
    NMEA_VTG_Object Vtg;
    DataDisplay Display;
    CaptureStream Capture;
    // Every system of a multi-constellation receiver, beside the GPS records.
    SatelliteSky Sky;
    SolutionTalkers Talkers;
    // What UBX frames told, beside the NMEA records.
    UbxState Ubx;
    // Sentences whose checksum was sound, counted since the store was made:
    // a count that stops moving means the receiver has fallen silent.
    uint64_t ValidSentences = 0;
    // Sentences by address, sound and failed.
    SentenceTally Tally;
    // The position fields of the last GGA or RMC that filled the records.
    PositionText Position;
    // Told at the end of each receiver cycle (none: nobody records).
    EpochSink* Epochs = nullptr;

    // The one lock of the store and the capture stream.
    std::mutex& Lock() { return FLock; }

  private:
    std::mutex FLock;
};

// The process-wide store, created by the main window.
extern NMEA_Manager* NmeaManager;
