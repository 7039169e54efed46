// UBX frames in the byte stream beside NMEA sentences.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framing/Framing.h"
#include "tests/framing/UbxBytes.h"

namespace {

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
const auto Never = [] { return false; };

// Frames every record of 'bytes': sentences as their text, frames as "UBX "
// and their bytes, give-ups before the end as "".
struct Records {
    explicit Records(std::string bytes) : Bytes(std::move(bytes)) {}
    std::vector<std::string> All() {
        std::vector<std::string> records;
        while (!Source.AtEnd()) {
            char buffer[SentenceBufferSize];
            uint16_t length = 0;
            const RecordKind kind = FrameRecord(Source, buffer, length, State, &Frame, Never);
            if (kind == RecordKind::Ubx)
                records.push_back("UBX " + std::string(Frame.Bytes, Frame.Bytes + Frame.Size));
            else if (length > 0 || !Source.AtEnd())
                records.emplace_back(buffer, length);
        }
        return records;
    }
    std::string Bytes;
    MemoryByteSource Source{Bytes.data(), Bytes.size()};
    framing::FramerState State;
    framing::UbxFrameBuffer Frame;
};

TEST(FrameUbx, FramesBetweenSentencesAreKeptWholeAndTheSentencesToo) {
    const std::string pvt = UbxBytes(0x01, 0x07, std::string(92, '\xFF'));  // high bytes
    const std::string ack = UbxBytes(0x05, 0x01, "\x06\x01");
    Records r(Gga + "\r\n" + pvt + ack + Gga + "\r\n" + pvt + Gga + "\r\n");
    EXPECT_EQ(r.All(), (std::vector<std::string>{Gga + "\r", "UBX " + pvt, "UBX " + ack, Gga + "\r",
                                                 "UBX " + pvt, Gga + "\r"}));
    EXPECT_EQ(r.State.UbxFrames, 3u);
    EXPECT_EQ(r.Frame.Class(), 1);
    EXPECT_EQ(r.Frame.Id(), 7);
    EXPECT_EQ(r.Frame.PayloadLength(), 92);
}

TEST(FrameUbx, FramesAreNoNoiseForTheSentenceOnlyFramer) {
    // Far more than 299 bytes and seven high bytes between the sentences.
    const std::string noisy = UbxBytes(0x02, 0x15, std::string(2000, '\x80'));
    const std::string bytes = Gga + "\r\n" + noisy + noisy + Gga + "\r\n";
    MemoryByteSource source(bytes.data(), bytes.size());
    char buffer[SentenceBufferSize];
    EXPECT_EQ(std::string(buffer, FrameSentence(source, buffer, Never)), Gga + "\r");
    EXPECT_EQ(std::string(buffer, FrameSentence(source, buffer, Never)), Gga + "\r");
}

TEST(FrameUbx, FrameAfterTheHuntGaveUpOnItsFirstByteIsStillFound) {
    const std::string ack = UbxBytes(0x05, 0x00, "\x06\x08");
    Records sixHigh(std::string(6, '\x80') + ack + Gga + "\r\n");  // B5 is the seventh
    EXPECT_EQ(sixHigh.All(), (std::vector<std::string>{"", "UBX " + ack, Gga + "\r"}));
    Records lateSync(std::string(298, 'x') + ack + Gga + "\r\n");  // B5 is the 299th byte
    EXPECT_EQ(lateSync.All(), (std::vector<std::string>{"", "UBX " + ack, Gga + "\r"}));
}

TEST(FrameUbx, BadChecksumIsDroppedAndCounted) {
    std::string broken = UbxBytes(0x01, 0x07, std::string(92, 'a'));
    broken[50] ^= 1;
    Records r(broken + Gga + "\r\n");
    EXPECT_EQ(r.All(), (std::vector<std::string>{Gga + "\r"}));
    EXPECT_EQ(r.State.UbxBadChecksums, 1u);
    EXPECT_EQ(r.State.UbxFrames, 0u);
}

TEST(FrameUbx, LengthOverTheLargestMessageIsNoise) {
    const std::string largest = UbxBytes(0x02, 0x13, std::string(framing::UbxMaxPayload, 'z'));
    Records fits(largest + Gga + "\r\n");
    EXPECT_EQ(fits.All(), (std::vector<std::string>{"UBX " + largest, Gga + "\r"}));
    const std::string over = UbxBytes(0x02, 0x13, std::string(framing::UbxMaxPayload + 1, 'z'));
    Records swallowed(over.substr(0, 6) + Gga + "\r\n" + Gga + "\r\n");
    EXPECT_EQ(swallowed.All(), (std::vector<std::string>{Gga + "\r", Gga + "\r"}));
    EXPECT_EQ(swallowed.State.UbxOversized, 1u);
}

TEST(FrameUbx, SyncInsideASentenceEndsItAndTheFrameFollows) {
    const std::string ack = UbxBytes(0x05, 0x01, "\x06\x01");
    const std::string cut = "$GPGSV,3,1,11,03";
    Records r(cut + ack + Gga + "\r\n");
    EXPECT_EQ(r.All(), (std::vector<std::string>{cut + "\r", "UBX " + ack, Gga + "\r"}));
    // A lone B5 inside a sentence is dropped and the byte after it kept.
    Records lone(
        "$GPA\xB5"
        "B*00\r\n");
    EXPECT_EQ(lone.All(), (std::vector<std::string>{"$GPAB*00\r"}));
}

}  // namespace

namespace {

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

}  // namespace

// Frames as real receivers sent them (../shared/corpus/ubx): the encoder
// rebuilds each from its class, id and payload, and the frame check finds
// each whole, with trailing bytes, and refuses it cut short or with either
// checksum byte changed.
TEST(FrameUbx, EncoderAndCheckAgreeWithFramesOfRealReceivers) {
    const struct {
        const char* Capture;
        const char* Frame;
    } cases[] = {
        {"ublox-lea-m8f ACK-ACK", "B5620501020006000E37"},
        {"ublox-lea-m8f ACK-NAK", "B5620500020006010E33"},
        {"ublox-glo NAV-EOE", "B56201610400C82BA4120FC2"},
        {"u-blox-m8t-time NAV-POSLLH",
         "B56201021C0018DE2D0EA5EFFCD605AAAE1A7435000094A800008B500000F43800001942"},
        {"u-blox-m8t-time NAV-TIMEGPS", "B5620120100018DE2D0EC4E80400620812071F000000B4E5"},
        {"ublox8-uniqid-monhw SEC-UNIQID", "B5622703090001000000CFFB03D2592C88"},
        {"ublox-aek-4t INF-NOTICE",
         "B56204021A00752D626C6F78206167202D207777772E752D626C6F782E636F6D233C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Capture);
        const std::vector<uint8_t> frame = FromHex(c.Frame);
        const std::vector<uint8_t> payload(frame.begin() + framing::UbxHeaderSize,
                                           frame.end() - framing::UbxChecksumSize);
        EXPECT_EQ(framing::EncodedUbx<std::vector<uint8_t>>(frame[2], frame[3], payload.data(),
                                                            payload.size()),
                  frame);
        std::vector<uint8_t> followed = frame;
        followed.insert(followed.end(), {'$', 'G', 'P'});
        EXPECT_EQ(framing::UbxFrameSizeAt(followed.data(), followed.size()), frame.size());
        EXPECT_EQ(framing::UbxFrameSizeAt(frame.data(), frame.size() - 1), 0u);
        for (size_t back : {1, 2}) {
            std::vector<uint8_t> bad = frame;
            bad[bad.size() - back] ^= 0x01;
            EXPECT_EQ(framing::UbxFrameSizeAt(bad.data(), bad.size()), 0u);
        }
    }
}
