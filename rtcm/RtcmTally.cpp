#include "rtcm/RtcmTally.h"

double RtcmTally::Row::Rate() const {
    if (TimedFrames < 2 || LastAt <= FirstAt) return 0;
    return static_cast<double>(TimedFrames - 1) / (LastAt - FirstAt);
}

void RtcmTally::Count(uint16_t number, double arrivalS) {
    ++FFrames;
    Row* row = nullptr;
    for (int i = 0; i < FKinds && !row; ++i)
        if (FRows[i].Number == number) row = &FRows[i];
    if (!row) {
        if (FKinds == Capacity) {
            ++FOther;
            return;
        }
        row = &FRows[FKinds++];
        *row = Row{};
        row->Number = number;
    }
    ++row->Frames;
    if (arrivalS < 0) return;
    if (row->TimedFrames++ == 0) row->FirstAt = arrivalS;
    row->LastAt = arrivalS;
}
