// RTCM 3 frames beside sentences and UBX frames, and the class every byte
// of a stream is counted in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framing/Framing.h"
#include "tests/framing/RtcmBytes.h"
#include "tests/framing/UbxBytes.h"

namespace {

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
const auto Never = [] { return false; };

// MemoryByteSource without runs: every byte through ReadByte, as a port reads.
class ByteByByte {
  public:
    ByteByByte(const char* data, size_t size) : FMemory(data, size) {}
    uint8_t ReadByte() { return FMemory.ReadByte(); }
    void Pause(unsigned) {}
    void PurgeTransmit() {}
    void Unread() { FMemory.Unread(); }
    uint64_t Taken() const { return FMemory.Taken(); }
    bool AtEnd() const { return FMemory.AtEnd(); }

  private:
    MemoryByteSource FMemory;
};

// Every record of 'bytes': sentences as their text, frames as "UBX ..." or
// "RTCM <number> <length>", give-ups before the end as "".
template <class SourceKind>
struct Records {
    explicit Records(std::string bytes) : Bytes(std::move(bytes)) {}
    std::vector<std::string> All() {
        std::vector<std::string> records;
        while (!Source.AtEnd() || State.Pending != framing::PendingFrame::None) {
            char buffer[SentenceBufferSize];
            uint16_t length = 0;
            const RecordKind kind = FrameRecord(Source, buffer, length, State, &Ubx, &Rtcm, Never);
            if (kind == RecordKind::Ubx)
                records.push_back("UBX " + std::to_string(Ubx.Class()));
            else if (kind == RecordKind::Rtcm)
                records.push_back("RTCM " + std::to_string(State.Rtcm.MessageNumber) + " " +
                                  std::to_string(State.Rtcm.PayloadLength));
            else if (length > 0 || !Source.AtEnd())
                records.emplace_back(buffer, length);
        }
        return records;
    }
    std::string Bytes;
    SourceKind Source{Bytes.data(), Bytes.size()};
    framing::FramerState State;
    framing::UbxFrameBuffer Ubx;
    framing::RtcmFrameBuffer Rtcm;
};

TEST(Crc24q, KnownValues) {
    EXPECT_EQ(framing::Crc24q(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCDE703u);
    // The 1005 example frame of the standard ends with its CRC.
    const uint8_t frame[] = {0xD3, 0x00, 0x13, 0x3E, 0xD7, 0xD3, 0x02, 0x02, 0x98,
                             0x0E, 0xDE, 0xEF, 0x34, 0xB4, 0xBD, 0x62, 0xAC, 0x09,
                             0x41, 0x98, 0x6F, 0x33, 0x36, 0x0B, 0x98};
    EXPECT_EQ(framing::Crc24q(frame, 22), 0x360B98u);
}

// A '$' or B5 62 inside a frame stays part of it; a D3 whose next byte has a
// reserved bit set starts nothing; a frame with a bad CRC is dropped, and
// the sentence after it kept.
TEST(FrameRtcm, FramesAreRecordsOfTheirOwnAndWhatTheyHoldStaysInside) {
    const std::string inner = "$GPGGA,1*00\r\n\xB5\x62";
    const std::string f1077 = RtcmBytes(1077, inner + std::string(300, '\x80'));
    const std::string f1005 = RtcmBytes(1005, std::string(17, '\x24'));
    std::string bad = RtcmBytes(1230, "abc");
    bad.back() ^= 1;
    std::string empty("\xD3\x00\x00", 3);  // a filler frame without payload
    const uint32_t crc = BitwiseCrc24q(empty);
    empty += {static_cast<char>(crc >> 16), static_cast<char>(crc >> 8), static_cast<char>(crc)};
    const std::string stream = Gga + "\r\n" + f1077 + f1005 + "\xD3\x40" + Gga + "\r\n" + bad +
                               Gga + "\r\n" + empty + UbxBytes(5, 1, "\x06\x01") + Gga + "\r\n";
    const std::vector<std::string> expected = {
        Gga + "\r", "RTCM 1077 317", "RTCM 1005 19", Gga + "\r", "",
        Gga + "\r", "RTCM 0 0",      "UBX 5",        Gga + "\r"};
    Records<MemoryByteSource> runs(stream);
    EXPECT_EQ(runs.All(), expected);
    Records<ByteByByte> single(stream);
    EXPECT_EQ(single.All(), expected);
    EXPECT_EQ(runs.State.RtcmFrames, 3u);
    EXPECT_EQ(runs.State.RtcmBadCrcs, 1u);
    EXPECT_EQ(runs.Rtcm.MessageNumber(), 0);
    Records<MemoryByteSource> again(f1077);
    again.All();
    EXPECT_EQ(again.Rtcm.Size, f1077.size());
    EXPECT_EQ(std::string(again.Rtcm.Bytes, again.Rtcm.Bytes + again.Rtcm.Size), f1077);
    EXPECT_EQ(again.Rtcm.PayloadLength(), 317);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(again.Rtcm.Payload()) + 2, inner.size()),
              inner);
}

TEST(FrameRtcm, AFrameStartInsideASentenceEndsItAndTheFrameFollows) {
    const std::string frame = RtcmBytes(1019, "ephemeris");
    Records<ByteByByte> r("$GPGGA,12" + frame + Gga + "\r\n");
    EXPECT_EQ(r.All(), (std::vector<std::string>{"$GPGGA,12\r", "RTCM 1019 11", Gga + "\r"}));
}

struct ClassCase {
    const char* Name;
    std::string Bytes;
    framing::ByteCounts Expected;  // Noise, Sentences, LineEnds, Ubx, Rtcm, BadFrames
};

// Each byte of a stream is counted once, in the class its record gives it;
// the same whether the source offers runs or not.
TEST(ByteClasses, EveryByteInExactlyOneClass) {
    const std::string ubx = UbxBytes(1, 7, std::string(92, '$'));
    std::string badUbx = ubx;
    badUbx.back() ^= 1;
    const std::string rtcm = RtcmBytes(1077, "$GP");
    const std::string longLine = "$GPXXX," + std::string(120, 'a') + "\r\n";
    const std::string cut = "$GPGGA,1" + std::string(300, '\x80');
    const uint64_t g = Gga.size() + 1;  // the '$' to the CR
    const std::vector<ClassCase> cases = {
        {"sentences with CR LF", Gga + "\r\n" + Gga + "\r\n", {0, 2 * g, 2, 0, 0, 0}},
        {"CR CR LF and a lone LF", Gga + "\r\r\n" + Gga + "\n", {0, 2 * g, 2, 0, 0, 0}},
        {"noise around", "xyz\r\n" + Gga + "\r\n\x80\x81", {7, g, 1, 0, 0, 0}},
        {"frames", ubx + Gga + "\r\n" + rtcm, {0, g, 1, ubx.size(), rtcm.size(), 0}},
        {"bad frames",
         badUbx + std::string("\xD3\x00\x01zzzz", 7) + Gga + "\r\n",
         {0, g, 1, 0, 0, badUbx.size() + 7}},
        {"false UBX length", "\xB5\x62\x01\x07\xFF\xFF" + Gga + "\r\n", {0, g, 1, 0, 0, 6}},
        {"a sentence over 100 characters is noise",
         longLine + Gga + "\r\n",
         {longLine.size(), g, 1, 0, 0, 0}},
        {"a sentence cut by a frame", "$GPGGA,1" + rtcm, {0, 8, 0, 0, rtcm.size(), 0}},
        {"a sentence ended at its step limit", cut + Gga, {113, 195 + Gga.size(), 0, 0, 0, 0}},
        {"298 noise bytes then a sentence",
         std::string(298, 'x') + Gga + "\r\n",
         {298, g, 1, 0, 0, 0}},
        {"a frame after seven high bytes",
         std::string(6, '\x80') + ubx,
         {6, 0, 0, ubx.size(), 0, 0}},
    };
    for (const ClassCase& c : cases) {
        for (const bool byteByByte : {false, true}) {
            framing::ByteCounts counted;
            if (byteByByte) {
                Records<ByteByByte> r(c.Bytes);
                r.All();
                counted = r.State.Bytes;
            } else {
                Records<MemoryByteSource> r(c.Bytes);
                r.All();
                counted = r.State.Bytes;
            }
            const std::string at = std::string(c.Name) + (byteByByte ? " (byte by byte)" : "");
            EXPECT_EQ(counted.Noise, c.Expected.Noise) << at;
            EXPECT_EQ(counted.Sentences, c.Expected.Sentences) << at;
            EXPECT_EQ(counted.LineEnds, c.Expected.LineEnds) << at;
            EXPECT_EQ(counted.Ubx, c.Expected.Ubx) << at;
            EXPECT_EQ(counted.Rtcm, c.Expected.Rtcm) << at;
            EXPECT_EQ(counted.BadFrames, c.Expected.BadFrames) << at;
            EXPECT_EQ(counted.Total(), c.Bytes.size()) << at;
        }
    }
}

// Random mixtures of everything: the classes always add up to the stream.
TEST(ByteClasses, RandomStreamsAddUp) {
    const std::string pieces[] = {Gga + "\r\n",
                                  "$GP\xB5\x62",
                                  UbxBytes(1, 7, std::string("$\xD3\x00", 3)),
                                  RtcmBytes(1005, "$x"),
                                  std::string("\xD3\x00\x05", 3),
                                  "\xB5\x62\x01",
                                  "$GP",
                                  "\x80\xFF",
                                  "\r\n",
                                  "x"};
    uint32_t seed = 12345;
    for (int stream = 0; stream < 300; ++stream) {
        std::string bytes;
        for (int i = 0; i < 60; ++i) {
            seed = seed * 1103515245 + 12345;
            bytes += pieces[(seed >> 16) % (sizeof pieces / sizeof pieces[0])];
        }
        Records<MemoryByteSource> runs(bytes);
        const std::vector<std::string> framed = runs.All();
        Records<ByteByByte> single(bytes);
        EXPECT_EQ(single.All(), framed) << stream;
        EXPECT_EQ(runs.State.Bytes.Total(), bytes.size()) << stream;
        EXPECT_EQ(single.State.Bytes.Total(), bytes.size()) << stream;
    }
}

}  // namespace
