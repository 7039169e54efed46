// Which talkers fill the position and fix records. A multi-system receiver
// may send one solution per system (GPGGA and GLGGA, GPGSA and BDGSA): the
// combined solution (GN) and GPS (GP) fill the GGA, GLL, RMC and VTG
// records, and GN wins when both arrive in one receiver cycle. A sentence of
// any other talker (IN, EC, GL, GA, ...) fills its record while no GN or GP
// sentence of its type came in the last WindowMs of receiver time, so that a
// receiver speaking only through such a talker is shown.
//
// Receiver time is the clock of the UTC times the sentences carry
// (SatelliteSky::ReceiverMs): the same for a live link and a capture.
#pragma once

#include <array>
#include <cstdint>

#include "nmea/Constellation.h"
#include "nmea/SentenceTypes.h"

class SolutionTalkers {
  public:
    static constexpr uint64_t WindowMs = 3000;

    // True when a position or fix sentence (GGA, GLL, RMC, VTG) of this
    // talker, read in receiver cycle 'cycle' at receiver time 'nowMs', fills
    // its record.
    bool FillsRecord(uint8_t type, Talker talker, uint32_t cycle, uint64_t nowMs);
    // True when a GSA of this talker fills the fix mode and DOPs: GP and GN
    // always, any other talker while no GP or GN GSA came within the window.
    bool GsaFillsFix(Talker talker, uint64_t nowMs);
    // True for the first combined (GN) GSA of a cycle: the GPS slots it
    // renews are cleared first, so a cycle whose GSAs list no GPS
    // satellite shows none. CombinedGsaTaken marks it taken, once the GSA
    // was found sound.
    bool FirstCombinedGsa(uint32_t cycle) const { return FCombinedGsaCycle != cycle; }
    void CombinedGsaTaken(uint32_t cycle) { FCombinedGsaCycle = cycle; }

    // The fix mode told by the GGA quality, or by the RMC status and mode,
    // while no GSA filled the fix record within the window: GGA tells it
    // while it fills its record, RMC only while no GGA does.
    bool TellsFixMode(uint8_t type, uint64_t nowMs) const;
    void SetFixType(uint8_t fixType) { FFixType = fixType; }
    uint8_t FixType() const { return FFixType; }  // 1 no fix, 2 2D, 3 3D

  private:
    struct Heard {
        bool Ever = false;
        uint64_t AtMs = 0;
        bool Within(uint64_t nowMs) const { return Ever && nowMs - AtMs < WindowMs; }
        void Note(uint64_t nowMs) {
            Ever = true;
            AtMs = nowMs;
        }
    };
    static constexpr uint32_t NoCycle = 0xFFFFFFFF;
    std::array<uint32_t, SentenceTypeCount> FCombinedCycle = Unseen();
    std::array<Heard, SentenceTypeCount> FPrimary{};  // GN or GP, by type
    std::array<Heard, SentenceTypeCount> FFilled{};   // any talker that filled, by type
    uint32_t FCombinedGsaCycle = NoCycle;
    uint8_t FFixType = 1;

    static std::array<uint32_t, SentenceTypeCount> Unseen() {
        std::array<uint32_t, SentenceTypeCount> cycles{};
        cycles.fill(NoCycle);
        return cycles;
    }
};
