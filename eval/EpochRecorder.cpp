#include "eval/EpochRecorder.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "nmea/NmeaManager.h"

namespace {

constexpr double DegreesE10 = 1e10;
// A coordinate is packed in 1e-10 degrees (the ten decimals of a receiver
// sending eight decimals of a minute) as 1e-7 degrees and the three digits
// after them.
constexpr int64_t SubPerE7 = 1000;
constexpr int MaxPositionDecimals = 10;
constexpr double Hundredths = 100.0;
constexpr double MillimetresPerMetre = 1000.0;
constexpr double MetresPerSecondPerKnot = 1852.0 / 3600.0;
constexpr double DopScale = 10000.0;  // dilutions in the records: x 10000
constexpr uint16_t MaxWord = 0xFFFF;

// A packed satellite: identity 8 bits | C/N0 7 | elevation 7 | azimuth 9 | used 1.
constexpr int SnrShift = 8, ElevationShift = 15, AzimuthShift = 22, UsedShift = 31;
constexpr uint32_t SevenBits = 0x7F, NineBits = 0x1FF, EightBits = 0xFF;
constexpr uint32_t NotPlaced = SevenBits;  // elevation value of a satellite without place
constexpr size_t MaxIdentities = 255;
constexpr size_t PrnSlots = 256;  // satellite numbers looked up by table
constexpr uint8_t UnknownIdentity = 255;

enum HeaderFlags : uint8_t { FlagPosition = 1, FlagAltitude = 2 };
constexpr uint8_t UbxNavClass = 0x01, UbxNavStatusId = 0x03;

uint16_t Word(double value) {
    if (!(value > 0)) return 0;
    return value >= MaxWord ? MaxWord : static_cast<uint16_t>(std::lround(value));
}

void PackDegrees(double degrees, int32_t& e7, int16_t& sub) {
    const int64_t n = std::llround(degrees * DegreesE10);
    e7 = static_cast<int32_t>(n / SubPerE7);
    sub = static_cast<int16_t>(n % SubPerE7);
}

double UnpackDegrees(int32_t e7, int16_t sub) {
    return static_cast<double>(int64_t{e7} * SubPerE7 + sub) / DegreesE10;
}

uint32_t SystemClock() {
    static const auto start = std::chrono::steady_clock::now();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count());
}

EpochFix FixOfStore(const NMEA_Manager& store) {
    const uint8_t gsaFix = store.Gsa.Message.FixType;
    if (gsaFix == 2 || gsaFix == 3) return static_cast<EpochFix>(gsaFix);
    if (store.Gga.Message.Spc.FixQuality > 0) return EpochFix::Fix3D;
    if (store.Rmc.Message.Status == 1) return EpochFix::Fix2D;
    return EpochFix::NoFix;
}

}  // namespace

namespace {
constexpr uint16_t NoAge = 0xFFFF;
}  // namespace

struct EpochRecorder::Header {
    uint32_t HostMs, UtcMs, Date;
    int32_t LatitudeE7, LongitudeE7, AltitudeMm;
    uint16_t SpeedCms, CourseHundredths, Pdop, Hdop, Vdop;  // dilutions x 100
    uint8_t Fix, Quality, UsedCount, InViewCount, Flags, SatelliteCount;
    int16_t LatitudeSub, LongitudeSub;  // 1e-10 degrees beyond the 1e-7 degrees
    uint8_t PositionDecimals;
    uint8_t Solution;          // RtkFix
    uint16_t CorrectionAgeDs;  // tenths of a second, NoAge when not told
    uint32_t FirstSatellite;   // index in the chunk's satellites
    uint32_t ReceiverTtffMs;   // NoTime when not told
};

struct EpochRecorder::Chunk {
    std::vector<Header> Headers;
    std::vector<uint32_t> Satellites;
};

Epoch EpochOfStore(const NMEA_Manager& store) {
    Epoch e;
    EpochOfStore(store, e);
    return e;
}

void EpochOfStore(const NMEA_Manager& store, Epoch& e) {
    const uint32_t hostMs = e.HostMs;
    std::vector<EpochSatellite> satellites = std::move(e.Satellites);
    e = Epoch{};
    e.HostMs = hostMs;
    uint32_t utc = 0;
    if (store.Position.TimeOfDayMs(utc)) e.UtcMs = utc;
    e.Date = store.Rmc.Message.Date;
    e.Fix = FixOfStore(store);
    e.Quality = store.Gga.Message.Spc.FixQuality;
    e.Solution = store.Rtk.Fix;
    if (store.Rtk.Age.Known() && IsDifferential(store.Rtk.Fix))
        e.CorrectionAge = store.Rtk.Age.From;
    int decimals = 0;
    e.HasPosition =
        e.Fix != EpochFix::NoFix && store.Position.Degrees(e.Latitude, e.Longitude, decimals);
    e.PositionDecimals = static_cast<uint8_t>(std::min(decimals, MaxPositionDecimals));
    e.HasAltitude = e.HasPosition && store.Position.AltitudeMetres(e.Altitude);
    e.SpeedMs = ToDouble(store.Rmc.Exact.Speed) * MetresPerSecondPerKnot;
    e.Course = ToDouble(store.Rmc.Exact.Course);
    e.Pdop = store.Gsa.Message.Pdop / DopScale;
    e.Hdop = store.Gsa.Message.Hdop / DopScale;
    e.Vdop = store.Gsa.Message.Vdop / DopScale;
    // A u-blox receiver tells its own time to first fix once it has one.
    const UbxStatusRecord& status = store.Ubx.Status;
    if (store.Ubx.CountOf(UbxNavClass, UbxNavStatusId) > 0 && status.Ttff > 0)
        e.ReceiverTtff = status.Ttff / 1000.0;
    const int used = store.Sky.UsedCount();
    e.UsedCount = used > 0 ? used : store.Gga.Message.Spc.SatsUsed;

    // The used satellites as one set, looked up for each satellite in view.
    std::bitset<ConstellationCount * PrnSlots> usedSet;
    std::vector<UsedSatellite> usedOther;  // numbers beyond the set (rare)
    store.Sky.ForEachUsed([&](const UsedSatellite& u) {
        if (u.Prn < PrnSlots)
            usedSet.set(static_cast<size_t>(u.System) * PrnSlots + u.Prn);
        else
            usedOther.push_back(u);
    });
    // Kept as heard: whoever shows them orders them. The buffer is made once
    // per thread: making its 192 entries each cycle costs more than the rest.
    static thread_local SkySatellite sky[SkyMaxSatellites];
    const int count = store.Sky.Satellites(sky, SkyMaxSatellites, SatelliteSky::Order::AsHeard);
    satellites.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const SkySatellite& s = sky[i];
        EpochSatellite& out = satellites[static_cast<size_t>(i)];
        out.System = s.System;
        out.Prn = s.Prn;
        out.Snr = s.Snr;
        out.Elevation = s.Elevation;
        out.Azimuth = s.Azimuth;
        out.Placed = s.Placed;
        out.Used = s.Prn < PrnSlots ? usedSet[static_cast<size_t>(s.System) * PrnSlots + s.Prn]
                                    : std::any_of(usedOther.begin(), usedOther.end(),
                                                  [&](const UsedSatellite& u) {
                                                      return u.System == s.System && u.Prn == s.Prn;
                                                  });
    }
    e.Satellites = std::move(satellites);
    e.InViewCount = count;
}

EpochRecorder::EpochRecorder(size_t limit, HostClock clock)
    : FLimit(std::max<size_t>(limit, 1)),
      FClock(clock ? std::move(clock) : HostClock(SystemClock)),
      FIdentityOf(ConstellationCount * PrnSlots, 0) {}

EpochRecorder::~EpochRecorder() = default;

double EpochRecorder::ClockSeconds() const {
    constexpr double MsPerSecond = 1000.0;
    return FClock() / MsPerSecond;
}

void EpochRecorder::CycleEnded(const NMEA_Manager& store) {
    // The finished cycle is stamped with the time its first sentence came,
    // when the receiver reported it; the cycle now beginning starts there.
    const uint32_t now = FClock();
    FScratch.HostMs = FCycleStarted ? FCycleStartMs : now;
    FCycleStartMs = now;
    FCycleStarted = true;
    EpochOfStore(store, FScratch);
    Record(FScratch);
    FWatch.Check(FScratch, HealthOf(store.Ubx));
}

uint8_t EpochRecorder::SatelliteId(Constellation system, uint16_t prn) {
    const size_t slot = static_cast<size_t>(system) * PrnSlots + prn;
    if (prn < PrnSlots && FIdentityOf[slot] != 0)
        return static_cast<uint8_t>(FIdentityOf[slot] - 1);
    if (prn >= PrnSlots)
        for (size_t i = 0; i < FIdentities.size(); ++i)
            if (FIdentities[i].first == system && FIdentities[i].second == prn)
                return static_cast<uint8_t>(i);
    if (FIdentities.size() >= MaxIdentities) return UnknownIdentity;
    FIdentities.emplace_back(system, prn);
    if (prn < PrnSlots) FIdentityOf[slot] = static_cast<uint8_t>(FIdentities.size());
    return static_cast<uint8_t>(FIdentities.size() - 1);
}

void EpochRecorder::Record(const Epoch& e) {
    if (FChunks.empty() || FChunks.back()->Headers.size() >= ChunkEpochs) {
        if (!FChunks.empty()) {
            FChunks.back()->Satellites.shrink_to_fit();
            FLastSatellites = FChunks.back()->Satellites.size();
        }
        auto chunk = std::make_unique<Chunk>();
        chunk->Headers.reserve(ChunkEpochs);
        chunk->Satellites.reserve(FLastSatellites);
        FChunks.push_back(std::move(chunk));
    }
    Chunk& c = *FChunks.back();
    Header h{};
    h.HostMs = e.HostMs;
    h.UtcMs = e.UtcMs;
    h.Date = e.Date;
    PackDegrees(e.Latitude, h.LatitudeE7, h.LatitudeSub);
    PackDegrees(e.Longitude, h.LongitudeE7, h.LongitudeSub);
    h.PositionDecimals = e.PositionDecimals;
    h.AltitudeMm = static_cast<int32_t>(std::lround(e.Altitude * MillimetresPerMetre));
    h.SpeedCms = Word(e.SpeedMs * Hundredths);
    h.CourseHundredths = Word(e.Course * Hundredths);
    h.Pdop = Word(e.Pdop * Hundredths);
    h.Hdop = Word(e.Hdop * Hundredths);
    h.Vdop = Word(e.Vdop * Hundredths);
    h.Fix = static_cast<uint8_t>(e.Fix);
    h.Quality = e.Quality;
    h.Solution = static_cast<uint8_t>(e.Solution);
    h.CorrectionAgeDs =
        e.CorrectionAge < 0
            ? NoAge
            : static_cast<uint16_t>(std::min<long>(std::lround(e.CorrectionAge * 10), NoAge - 1));
    h.UsedCount = static_cast<uint8_t>(std::min(e.UsedCount, 255));
    h.InViewCount = static_cast<uint8_t>(std::min(e.InViewCount, 255));
    h.Flags = static_cast<uint8_t>((e.HasPosition ? FlagPosition : 0) |
                                   (e.HasAltitude ? FlagAltitude : 0));
    h.FirstSatellite = static_cast<uint32_t>(c.Satellites.size());
    h.ReceiverTtffMs = e.ReceiverTtff < 0
                           ? Epoch::NoTime
                           : static_cast<uint32_t>(std::lround(e.ReceiverTtff * 1000));
    const size_t kept = std::min<size_t>(e.Satellites.size(), 255);
    h.SatelliteCount = static_cast<uint8_t>(kept);
    for (size_t i = 0; i < kept; ++i) {
        const EpochSatellite& s = e.Satellites[i];
        const uint32_t elevation =
            s.Placed ? static_cast<uint32_t>(std::clamp<int>(s.Elevation, 0, 90)) : NotPlaced;
        const uint32_t azimuth = static_cast<uint32_t>(std::clamp<int>(s.Azimuth, 0, 359));
        const uint32_t snr = std::min<uint32_t>(s.Snr, SevenBits - 1);
        c.Satellites.push_back(SatelliteId(s.System, s.Prn) | snr << SnrShift |
                               elevation << ElevationShift | azimuth << AzimuthShift |
                               static_cast<uint32_t>(s.Used) << UsedShift);
    }
    c.Headers.push_back(h);
    ++FSize;
    while (FSize > FLimit) DropOldest();
}

void EpochRecorder::DropOldest() {
    --FSize;
    ++FDropped;
    if (++FFront < FChunks.front()->Headers.size()) return;
    FChunks.pop_front();  // its memory goes once all its epochs are dropped
    FFront = 0;
}

Epoch EpochRecorder::Unpack(const Chunk& c, size_t index) const {
    const Header& h = c.Headers[index];
    Epoch e;
    e.HostMs = h.HostMs;
    e.UtcMs = h.UtcMs;
    e.Date = h.Date;
    e.Fix = static_cast<EpochFix>(h.Fix);
    e.Quality = h.Quality;
    e.Solution = static_cast<RtkFix>(h.Solution);
    e.CorrectionAge = h.CorrectionAgeDs == NoAge ? -1 : h.CorrectionAgeDs / 10.0;
    e.HasPosition = h.Flags & FlagPosition;
    e.HasAltitude = h.Flags & FlagAltitude;
    e.Latitude = UnpackDegrees(h.LatitudeE7, h.LatitudeSub);
    e.Longitude = UnpackDegrees(h.LongitudeE7, h.LongitudeSub);
    e.PositionDecimals = h.PositionDecimals;
    e.Altitude = h.AltitudeMm / MillimetresPerMetre;
    e.SpeedMs = h.SpeedCms / Hundredths;
    e.Course = h.CourseHundredths / Hundredths;
    e.Pdop = h.Pdop / Hundredths;
    e.Hdop = h.Hdop / Hundredths;
    e.Vdop = h.Vdop / Hundredths;
    e.UsedCount = h.UsedCount;
    e.ReceiverTtff = h.ReceiverTtffMs == Epoch::NoTime ? -1 : h.ReceiverTtffMs / 1000.0;
    e.InViewCount = h.InViewCount;
    e.Satellites.resize(h.SatelliteCount);
    for (size_t i = 0; i < h.SatelliteCount; ++i) {
        const uint32_t p = c.Satellites[h.FirstSatellite + i];
        EpochSatellite& s = e.Satellites[i];
        const uint32_t id = p & EightBits;
        if (id < FIdentities.size()) {
            s.System = FIdentities[id].first;
            s.Prn = FIdentities[id].second;
        }
        s.Snr = static_cast<uint8_t>(p >> SnrShift & SevenBits);
        const uint32_t elevation = p >> ElevationShift & SevenBits;
        s.Placed = elevation != NotPlaced;
        s.Elevation = static_cast<int8_t>(s.Placed ? elevation : 0);
        s.Azimuth = static_cast<int16_t>(p >> AzimuthShift & NineBits);
        s.Used = p >> UsedShift & 1;
    }
    return e;
}

Epoch EpochRecorder::At(size_t index) const {
    Epoch e;
    ForEach(index, index + 1, [&](const Epoch& found) { e = found; });
    return e;
}

void EpochRecorder::ForEach(size_t from, size_t to,
                            const std::function<void(const Epoch&)>& visit) const {
    // Indices count from the oldest epoch kept: the first chunk's dropped
    // epochs are skipped.
    from += FFront;
    to = std::min(to, FSize) + FFront;
    size_t base = 0;
    for (const auto& chunk : FChunks) {
        if (base >= to) break;
        const size_t n = chunk->Headers.size();
        for (size_t i = std::max(from, base) - base; i < n && base + i < to; ++i)
            visit(Unpack(*chunk, i));
        base += n;
    }
}

size_t EpochRecorder::FirstAtOrAfter(uint32_t hostMs) const {
    size_t base = 0;
    for (size_t k = 0; k < FChunks.size(); ++k) {
        const std::vector<Header>& h = FChunks[k]->Headers;
        const size_t skip = k == 0 ? FFront : 0;
        if (h.back().HostMs < hostMs) {
            base += h.size() - skip;
            continue;
        }
        const auto it =
            std::lower_bound(h.begin() + static_cast<std::ptrdiff_t>(skip), h.end(), hostMs,
                             [](const Header& x, uint32_t t) { return x.HostMs < t; });
        return base + static_cast<size_t>(it - h.begin()) - skip;
    }
    return FSize;
}

void EpochRecorder::SetLimit(size_t limit) {
    FLimit = std::max<size_t>(limit, 1);
    while (FSize > FLimit) DropOldest();
}

void EpochRecorder::Clear() {
    FChunks.clear();
    FSize = 0;
    FFront = 0;
    FWatch.Clear();
}

size_t EpochRecorder::MemoryBytes() const {
    size_t bytes = 0;
    for (const auto& c : FChunks)
        bytes += sizeof(Chunk) + c->Headers.capacity() * sizeof(Header) +
                 c->Satellites.capacity() * sizeof(uint32_t);
    return bytes + FIdentities.capacity() * sizeof(FIdentities[0]);
}

EpochRange RangeOf(const EpochRecorder& recorder) {
    return [&recorder](const EpochVisitor& visit) { recorder.ForEach(0, recorder.Size(), visit); };
}
