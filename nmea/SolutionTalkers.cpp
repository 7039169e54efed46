#include "nmea/SolutionTalkers.h"

bool SolutionTalkers::FillsRecord(uint8_t type, Talker talker, uint32_t cycle) {
    if (type >= SentenceTypeCount) return false;
    if (talker == Talker::GN) {
        FCombinedCycle[type] = cycle;
        return true;
    }
    return talker == Talker::GP && FCombinedCycle[type] != cycle;
}

bool SolutionTalkers::FirstCombinedGsa(uint32_t cycle) {
    if (FCombinedGsaCycle == cycle) return false;
    FCombinedGsaCycle = cycle;
    return true;
}
