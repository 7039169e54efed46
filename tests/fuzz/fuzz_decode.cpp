// Fuzzes the whole decoding path through the intake: framing of sentences, UBX and RTCM 3 frames,
// checksum, dispatch, handlers and display texts, with the capture stream
// writing to /dev/null; the RTCM 3 decoders with each frame's payload, and
// with the input itself taken as a payload, so they are reached without a
// CRC to match.
#include <cstddef>
#include <cstdint>

#include "framing/Framing.h"
#include "intake/Intake.h"

namespace {

// The console lines are made too, as the reader makes them.
class WithConsole final : public IntakeSinks {
  public:
    bool WantsConsole() override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NMEA_Manager store;
    static bool opened = store.Capture.Open("/dev/null");
    (void)opened;
    store.ChecksumsSeen = false;  // each input a new link: sentences without checksums are taken
    store.Rtcm.Take(data, size < framing::RtcmMaxPayload ? size : framing::RtcmMaxPayload);
    MemoryByteSource source(reinterpret_cast<const char*>(data), size);
    Intake intake(store);
    WithConsole sinks;
    const framing::FramerState& state = intake.Framer();
    while (!source.AtEnd() || state.Pending != framing::PendingFrame::None) {
        const IntakeResult result = intake.Next(source, sinks, 1.0);
        const framing::UbxFrameBuffer& frame = intake.UbxFrame();
        const framing::RtcmFrameBuffer& rtcm = intake.RtcmFrame();
        if (result.Kind == RecordKind::Ubx &&
            frame.Size != framing::UbxHeaderSize + frame.PayloadLength() + framing::UbxChecksumSize)
            __builtin_trap();
        if (result.Kind == RecordKind::Rtcm &&
            rtcm.Size != framing::RtcmHeaderSize + rtcm.PayloadLength() + framing::RtcmCrcSize)
            __builtin_trap();
        // The framer hands over only frames whose checksum holds: one the
        // decoder refuses is refused for its length.
        if (result.Kind == RecordKind::Ubx && !result.Ubx.Valid &&
            !(result.Ubx.Type && result.Ubx.Type->Decode))
            __builtin_trap();
    }
    if (state.Bytes.Total() != size) __builtin_trap();  // every byte in one class
    // The extended table of several systems, read as the views read it.
    static SkySatellite inView[SkyMaxSatellites];
    static UsedSatellite used[SkyMaxUsed];
    const int count = store.Sky.Satellites(inView, SkyMaxSatellites);
    for (int i = 0; i < count; ++i) store.Sky.Used(inView[i].System, inView[i].Prn);
    store.Sky.UsedSatellites(used, SkyMaxUsed);
    // The display texts and the recording's degrees, made from the exact
    // values of whatever the handlers accepted.
    store.Display();
    double latitude = 0, longitude = 0;
    int decimals = 0;
    store.Position.Degrees(latitude, longitude, decimals);
    return 0;
}
