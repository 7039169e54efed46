#include "nmea/ByteTally.h"

void ByteTally::Framed(const framing::FramerState& framer, RecordKind kind, bool sound) {
    const framing::ByteCounts& now = framer.Bytes;
    (FLastSound ? FClasses.Sound : FClasses.BadChecksum) += now.LineEnds - FSeen.LineEnds;
    if (kind == RecordKind::Sentence) FLastSound = sound;
    (FLastSound ? FClasses.Sound : FClasses.BadChecksum) += now.Sentences - FSeen.Sentences;
    FClasses.Ubx += now.Ubx - FSeen.Ubx;
    FClasses.Rtcm += now.Rtcm - FSeen.Rtcm;
    FClasses.BadFrames += now.BadFrames - FSeen.BadFrames;
    FClasses.Noise += now.Noise - FSeen.Noise;
    FSeen = now;
}
