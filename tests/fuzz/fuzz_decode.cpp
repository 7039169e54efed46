// Fuzzes the whole decoding path: framing of sentences, UBX and RTCM 3 frames,
// checksum, dispatch, handlers and display texts, with the capture stream
// writing to /dev/null.
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
    return 0;
}
