#include "ubx/UbxRecords.h"

void UbxState::Count(uint8_t messageClass, uint8_t id) {
    ++Frames;
    for (int i = 0; i < CountKinds; ++i) {
        if (Counts[i].Class == messageClass && Counts[i].Id == id) {
            ++Counts[i].Frames;
            return;
        }
    }
    if (CountKinds == UbxCountKinds) {
        ++OtherFrames;
        return;
    }
    Counts[CountKinds++] = UbxCount{messageClass, id, 1};
}

uint64_t UbxState::CountOf(uint8_t messageClass, uint8_t id) const {
    for (int i = 0; i < CountKinds; ++i)
        if (Counts[i].Class == messageClass && Counts[i].Id == id) return Counts[i].Frames;
    return 0;
}

void UbxState::StartOver() {
    *this = UbxState{};
}
