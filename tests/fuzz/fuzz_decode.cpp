// Fuzzes the whole decoding path: framing of sentences, UBX and RTCM 3 frames,
// checksum, dispatch, handlers and display texts, with the capture stream
// writing to /dev/null; the RTCM 3 decoders with each frame's payload, and
// with the input itself taken as a payload, so they are reached without a
// CRC to match.
#include <cstddef>
#include <cstdint>

#include "framing/Framing.h"
#include "nmea/Dispatch.h"

namespace {
class NoPurge : public PortPurger {
  public:
    void PurgeBoth() override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NMEA_Manager store;
    static NoPurge purger;
    static bool opened = store.Capture.Open("/dev/null");
    (void)opened;
    static framing::UbxFrameBuffer frame;
    static framing::RtcmFrameBuffer rtcm;
    store.ChecksumsSeen = false;  // each input a new link: sentences without checksums are taken
    store.Rtcm.Take(data, size < framing::RtcmMaxPayload ? size : framing::RtcmMaxPayload);
    MemoryByteSource source(reinterpret_cast<const char*>(data), size);
    framing::FramerState state;
    char buffer[SentenceBufferSize];
    while (!source.AtEnd() || state.Pending != framing::PendingFrame::None) {
        uint16_t n = 0;
        const RecordKind kind =
            FrameRecord(source, buffer, n, state, &frame, &rtcm, [] { return false; });
        if (kind == RecordKind::Ubx &&
            frame.Size != framing::UbxHeaderSize + frame.PayloadLength() + framing::UbxChecksumSize)
            __builtin_trap();
        if (kind == RecordKind::Rtcm &&
            rtcm.Size != framing::RtcmHeaderSize + rtcm.PayloadLength() + framing::RtcmCrcSize)
            __builtin_trap();
        if (kind == RecordKind::Rtcm) store.Rtcm.Take(rtcm.Payload(), rtcm.PayloadLength(), 1.0);
        store.Rtcm.Framed(state);
        if (n == 0) continue;
        const std::string_view sentence = SentenceText(buffer, n);
        DispatchSentence(sentence, store, &purger);
        CaptureSentence(sentence, store);
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
