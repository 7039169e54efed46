// Which talkers fill the position and fix records. A multi-system receiver
// may send one solution per system (GPGGA and GLGGA, GPGSA and BDGSA): only
// the combined solution (GN) and GPS (GP) fill the GGA, GLL, RMC and VTG
// records, and GN wins when both arrive in one receiver cycle. The other
// systems' sentences feed the satellite table only.
#pragma once

#include <array>
#include <cstdint>

#include "nmea/Constellation.h"
#include "nmea/SentenceTypes.h"

class SolutionTalkers {
  public:
    // True when a position or fix sentence (GGA, GLL, RMC, VTG) of this
    // talker, read in receiver cycle 'cycle', fills its record.
    bool FillsRecord(uint8_t type, Talker talker, uint32_t cycle);
    // True for the first combined (GN) GSA of a cycle: the GPS slots it
    // renews are cleared first, so a cycle whose GSAs list no GPS
    // satellite shows none.
    bool FirstCombinedGsa(uint32_t cycle);

  private:
    static constexpr uint32_t NoCycle = 0xFFFFFFFF;
    std::array<uint32_t, SentenceTypeCount> FCombinedCycle = Unseen();
    uint32_t FCombinedGsaCycle = NoCycle;

    static std::array<uint32_t, SentenceTypeCount> Unseen() {
        std::array<uint32_t, SentenceTypeCount> cycles{};
        cycles.fill(NoCycle);
        return cycles;
    }
};
