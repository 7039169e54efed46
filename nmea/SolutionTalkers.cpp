#include "nmea/SolutionTalkers.h"

namespace {

bool Primary(Talker talker) {
    return talker == Talker::GN || talker == Talker::GP;
}

}  // namespace

bool SolutionTalkers::FillsRecord(uint8_t type, Talker talker, uint32_t cycle, uint64_t nowMs) {
    if (type >= SentenceTypeCount) return false;
    bool fills;
    if (talker == Talker::GN) {
        FCombinedCycle[type] = cycle;
        fills = true;
    } else if (talker == Talker::GP) {
        fills = FCombinedCycle[type] != cycle;
    } else {
        fills = !FPrimary[type].Within(nowMs);
    }
    if (Primary(talker)) FPrimary[type].Note(nowMs);
    if (fills) FFilled[type].Note(nowMs);
    return fills;
}

bool SolutionTalkers::GsaFillsFix(Talker talker, uint64_t nowMs) {
    Heard& primary = FPrimary[SentenceTypeGSA];
    const bool fills = Primary(talker) || !primary.Within(nowMs);
    if (Primary(talker)) primary.Note(nowMs);
    if (fills) FFilled[SentenceTypeGSA].Note(nowMs);
    return fills;
}

bool SolutionTalkers::TellsFixMode(uint8_t type, uint64_t nowMs) const {
    if (FFilled[SentenceTypeGSA].Within(nowMs)) return false;
    return type == SentenceTypeGGA || !FFilled[SentenceTypeGGA].Within(nowMs);
}
