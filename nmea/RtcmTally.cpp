#include "nmea/RtcmTally.h"

void RtcmTally::Count(uint16_t number) {
    ++FFrames;
    for (int i = 0; i < FKinds; ++i)
        if (FRows[i].Number == number) {
            ++FRows[i].Frames;
            return;
        }
    if (FKinds == Capacity) {
        ++FOther;
        return;
    }
    FRows[FKinds++] = {number, 1};
}
