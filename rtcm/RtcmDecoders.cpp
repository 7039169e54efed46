#include "rtcm/RtcmDecoders.h"

namespace {

constexpr uint16_t StationWithHeight = 1006;
constexpr uint16_t AntennaWithSerial = 1008;
constexpr uint16_t ReceiverDescriptors = 1033;
constexpr uint16_t FirstMsm = 1071;
constexpr uint16_t MsmSystemStep = 10;  // 1071 GPS, 1081 GLONASS, ...
constexpr int MsmKinds = 7;
constexpr int MsmSatelliteBits = 64;
constexpr int MsmSignalBits = 32;
constexpr int MaxCells = 64;
constexpr int GlonassDayBits = 3;
constexpr int GlonassTimeBits = 27;
constexpr int EpochBits = 30;
constexpr int GlonassBiasSignals = 4;

// The system of each row of MSM numbers, 1071-1077 first.
constexpr RtcmSystem MsmSystems[] = {RtcmSystem::Gps,  RtcmSystem::Glonass, RtcmSystem::Galileo,
                                     RtcmSystem::Sbas, RtcmSystem::Qzss,    RtcmSystem::Beidou,
                                     RtcmSystem::Navic};

// A text of 'count' bytes, its 8-bit count read first.
void ReadText(BitReader& bits, std::string& out) {
    const unsigned count = static_cast<unsigned>(bits.Unsigned(8));
    out.clear();
    for (unsigned i = 0; i < count && bits.Ok(); ++i) out += static_cast<char>(bits.Unsigned(8));
}

int Ones(uint64_t mask) {
    int n = 0;
    for (; mask; mask &= mask - 1) ++n;
    return n;
}

}  // namespace

bool MsmOfNumber(uint16_t number, RtcmSystem& system, uint8_t& kind) {
    if (number < FirstMsm) return false;
    const int row = (number - FirstMsm) / MsmSystemStep;
    const int column = (number - FirstMsm) % MsmSystemStep;
    if (row >= RtcmSystemCount || column >= MsmKinds) return false;
    system = MsmSystems[row];
    kind = static_cast<uint8_t>(column + 1);
    return true;
}

bool DecodeStation(BitReader& bits, uint16_t number, RtcmLatest& latest) {
    RtcmStation s;
    s.StationId = static_cast<uint16_t>(bits.Unsigned(12));
    s.ItrfYear = static_cast<uint8_t>(bits.Unsigned(6));
    s.Gps = bits.Unsigned(1);
    s.Glonass = bits.Unsigned(1);
    s.Galileo = bits.Unsigned(1);
    s.ReferenceStation = bits.Unsigned(1);
    s.X = bits.Signed(38);
    bits.Skip(2);  // single receiver oscillator, reserved
    s.Y = bits.Signed(38);
    bits.Skip(2);  // quarter cycle indicator
    s.Z = bits.Signed(38);
    s.HasHeight = number == StationWithHeight;
    if (s.HasHeight) s.Height = static_cast<uint16_t>(bits.Unsigned(16));
    if (!bits.Ok()) return false;
    latest.Station = s;
    latest.HasStation = true;
    return true;
}

bool DecodeDescriptor(BitReader& bits, uint16_t number, RtcmLatest& latest) {
    RtcmDescriptor& d = latest.Descriptor;
    RtcmDescriptor read;
    read.StationId = static_cast<uint16_t>(bits.Unsigned(12));
    ReadText(bits, read.Antenna);
    read.SetupId = static_cast<uint8_t>(bits.Unsigned(8));
    read.HasSerial = number >= AntennaWithSerial;
    if (read.HasSerial) ReadText(bits, read.AntennaSerial);
    read.HasReceiver = number == ReceiverDescriptors;
    if (read.HasReceiver) {
        ReadText(bits, read.Receiver);
        ReadText(bits, read.Firmware);
        ReadText(bits, read.ReceiverSerial);
    }
    if (!bits.Ok()) return false;
    // A 1007 or 1008 leaves the receiver's texts of a 1033 of the same station.
    if (!read.HasReceiver && latest.HasDescriptor && d.HasReceiver &&
        d.StationId == read.StationId) {
        read.HasReceiver = true;
        read.Receiver.swap(d.Receiver);
        read.Firmware.swap(d.Firmware);
        read.ReceiverSerial.swap(d.ReceiverSerial);
    }
    d = std::move(read);
    latest.HasDescriptor = true;
    return true;
}

bool DecodeMsm(BitReader& bits, uint16_t number, RtcmLatest& latest) {
    RtcmMsm m;
    if (!MsmOfNumber(number, m.System, m.Kind)) return false;
    m.StationId = static_cast<uint16_t>(bits.Unsigned(12));
    if (m.System == RtcmSystem::Glonass) {
        m.Day = static_cast<uint8_t>(bits.Unsigned(GlonassDayBits));
        m.Epoch = static_cast<uint32_t>(bits.Unsigned(GlonassTimeBits));
    } else {
        m.Epoch = static_cast<uint32_t>(bits.Unsigned(EpochBits));
    }
    m.MultipleMessage = bits.Unsigned(1);
    m.Iods = static_cast<uint8_t>(bits.Unsigned(3));
    bits.Skip(7 + 2 + 2 + 1 + 3);  // reserved, clock steering, external clock, smoothing
    m.SatelliteMask = bits.Unsigned(MsmSatelliteBits);
    m.SignalMask = static_cast<uint32_t>(bits.Unsigned(MsmSignalBits));
    m.Satellites = static_cast<uint8_t>(Ones(m.SatelliteMask));
    m.Signals = static_cast<uint8_t>(Ones(m.SignalMask));
    const int cellBits = m.Satellites * m.Signals;
    if (cellBits > MaxCells) return false;  // no MSM holds more cells
    m.CellMask = bits.Unsigned(static_cast<unsigned>(cellBits));
    m.Cells = static_cast<uint8_t>(Ones(m.CellMask));
    if (!bits.Ok()) return false;
    const int system = static_cast<int>(m.System);
    latest.Msm[system] = m;
    latest.HasMsm[system] = true;
    return true;
}

bool DecodeEphemeris(BitReader& bits, uint16_t number, RtcmLatest& latest) {
    struct Layout {
        uint16_t Number;
        RtcmSystem System;
        unsigned Bits;    // of the satellite number
        uint16_t Offset;  // added to it: QZSS 1 is PRN 193
    };
    static constexpr Layout Layouts[] = {
        {1019, RtcmSystem::Gps, 6, 0},     {1020, RtcmSystem::Glonass, 6, 0},
        {1042, RtcmSystem::Beidou, 6, 0},  {1044, RtcmSystem::Qzss, 4, 192},
        {1045, RtcmSystem::Galileo, 6, 0}, {1046, RtcmSystem::Galileo, 6, 0},
    };
    for (const Layout& l : Layouts) {
        if (l.Number != number) continue;
        const uint16_t satellite = static_cast<uint16_t>(bits.Unsigned(l.Bits));
        if (!bits.Ok()) return false;
        latest.Ephemeris = {l.System, static_cast<uint16_t>(satellite + l.Offset)};
        return true;
    }
    return false;
}

bool DecodeGlonassBiases(BitReader& bits, uint16_t, RtcmLatest& latest) {
    RtcmGlonassBiases b;
    b.StationId = static_cast<uint16_t>(bits.Unsigned(12));
    b.Aligned = bits.Unsigned(1);
    bits.Skip(3);
    b.Mask = static_cast<uint8_t>(bits.Unsigned(GlonassBiasSignals));
    for (int i = 0; i < GlonassBiasSignals; ++i)
        if (b.Mask >> (GlonassBiasSignals - 1 - i) & 1)
            b.Bias[i] = static_cast<int16_t>(bits.Signed(16));
    if (!bits.Ok()) return false;
    latest.Biases = b;
    latest.HasBiases = true;
    return true;
}
