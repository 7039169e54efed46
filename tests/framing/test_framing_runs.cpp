// A source that offers its bytes in runs frames exactly as one read byte by
// byte: the same sentences and UBX frames, the same bytes consumed, the same
// pauses and purges.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framing/Framing.h"
#include "tests/framing/UbxBytes.h"

namespace {

class ByteSource {
  public:
    explicit ByteSource(std::string bytes) : FBytes(std::move(bytes)) {}
    uint8_t ReadByte() {
        const size_t pos = FPos++;
        return pos < FBytes.size() ? static_cast<uint8_t>(FBytes[pos]) : 0;
    }
    void Pause(unsigned ms) { Pauses.push_back(ms); }
    void PurgeTransmit() { ++Purges; }
    void Unread() { --FPos; }
    size_t Position() const { return FPos; }
    bool AtEnd() const { return FPos >= FBytes.size(); }
    std::vector<unsigned> Pauses;
    int Purges = 0;

  protected:
    std::string FBytes;
    size_t FPos = 0;
};

// Holds at most 'chunk' bytes at hand, as a port's read buffer that fills
// piece by piece; the rest arrives through ReadByte.
class RunSource : public ByteSource {
  public:
    RunSource(std::string bytes, size_t chunk) : ByteSource(std::move(bytes)), FChunk(chunk) {}
    const char* Buffered(size_t& count) {
        const size_t pos = FPos < FBytes.size() ? FPos : FBytes.size();
        const size_t left = FBytes.size() - pos;
        count = left < FChunk ? left : FChunk;
        ++Offers;
        return FBytes.data() + pos;
    }
    void Consume(size_t count) { FPos += count; }
    int Offers = 0;

  private:
    size_t FChunk;
};

static_assert(framing::OffersRuns<RunSource>::value);
static_assert(!framing::OffersRuns<ByteSource>::value);

const auto Never = [] { return false; };

struct Framed {
    std::vector<std::string> Sentences;
    std::vector<size_t> Positions;
};

// With 'keepFrames' false the UBX frames are only checked, as FrameSentence
// does; the counts of frames and bad checksums are then framed too.
template <class Source>
Framed FrameAll(Source& source, bool keepFrames = true) {
    Framed framed;
    char buffer[SentenceBufferSize];
    framing::FramerState state;
    static framing::UbxFrameBuffer frame;
    while (!source.AtEnd()) {
        uint16_t n = 0;
        const RecordKind kind =
            FrameRecord(source, buffer, n, state, keepFrames ? &frame : nullptr, Never);
        if (!keepFrames) {
            framed.Sentences.push_back(std::to_string(state.UbxFrames) + "/" +
                                       std::to_string(state.UbxBadChecksums));
            framed.Positions.push_back(source.Position());
            if (kind == RecordKind::Ubx) continue;
        }
        for (int i = n; i < SentenceBufferSize; ++i) EXPECT_EQ(buffer[i], 0) << "byte " << i;
        if (kind == RecordKind::Ubx)
            framed.Sentences.emplace_back("UBX:" +
                                          std::string(frame.Bytes, frame.Bytes + frame.Size));
        else
            framed.Sentences.emplace_back(buffer, n);
        framed.Positions.push_back(source.Position());
    }
    return framed;
}

void ExpectSameFraming(const std::string& bytes, size_t chunk, bool keepFrames = true) {
    ByteSource single(bytes);
    RunSource runs(bytes, chunk);
    const Framed expected = FrameAll(single, keepFrames);
    const Framed got = FrameAll(runs, keepFrames);
    EXPECT_EQ(got.Sentences, expected.Sentences) << "chunk " << chunk;
    EXPECT_EQ(got.Positions, expected.Positions) << "chunk " << chunk;
    EXPECT_EQ(runs.Pauses, single.Pauses) << "chunk " << chunk;
    EXPECT_EQ(runs.Purges, single.Purges) << "chunk " << chunk;
    bool collected = false;
    for (const std::string& s : expected.Sentences) collected |= keepFrames && s.size() > 2;
    if (collected) {
        EXPECT_GT(runs.Offers, 0) << "the runs were not taken";
    }
}

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

TEST(FrameSentenceRuns, EveryRuleAtEveryBufferSize) {
    const std::string cases[] = {
        Gga + "\r\n" + Gga + "\r\n",
        "xy\r\n" + Gga + "\n$GPA*00\r\r\n",
        "$" + std::string(99, 'A') + "\r\n" + "$" + std::string(99, 'A') + "B\r\n" + Gga + "\r\n",
        "$GPGGA,12" + std::string(3, '\0') + "3519\x80\xFF,48*47\r\n",
        "$GPGGA,1$GPRMC,2*00\r\n$$GPVTG*00\r\n",
        std::string(40, '\x7F') + "\x81\x82" + Gga + "\r\n",
        std::string(320, 'z') + Gga + "\r\n",
        std::string(9, '\x90') + Gga + "\r\n",
        // Dropped bytes inside a long sentence reach the collecting step limit.
        "$GPGSV" + std::string(90, '\0') + std::string(120, 'A') + "\r\n" + Gga + "\r\n",
        Gga,  // cut by the end of the input
        // UBX frames: between sentences, cutting one, after noise, broken and false.
        Gga + "\r\n" + UbxBytes(1, 7, std::string(92, '\xB5')) + Gga + "\r\n",
        "$GPGGA,1" + UbxBytes(5, 1, "\x06\x01") + "$GPA*00\r\n",
        std::string(7, '\x80') + UbxBytes(0x0A, 4, std::string(160, '$')) + Gga + "\r\n",
        std::string("\xB5\x62\x01\x07\x02\x00$G\x00\x00", 10) + Gga + "\r\n",
        std::string("\xB5\x62\x01\x07\xFF\xFF", 6) + Gga + "\r\n",
    };
    for (const std::string& bytes : cases)
        for (size_t chunk : {size_t{0}, size_t{1}, size_t{7}, size_t{16}, size_t{17}, size_t{4096}})
            for (bool keepFrames : {true, false}) ExpectSameFraming(bytes, chunk, keepFrames);
}

TEST(FrameSentenceRuns, RandomNoiseAndSentences) {
    uint32_t state = 12345;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    const char special[] = {'\r', '\n', '$', '\0', '\x7F', '\x80', '\xFE', '*', ',', '\xB5', 'b'};
    for (int trial = 0; trial < 200; ++trial) {
        std::string bytes;
        const int length = static_cast<int>(next() % 600);
        while (static_cast<int>(bytes.size()) < length) {
            const uint32_t pick = next() % 10;
            if (pick < 2)
                bytes += Gga + "\r\n";
            else if (pick < 3)
                bytes +=
                    UbxBytes(1, static_cast<uint8_t>(next()), std::string(next() % 300, '\x80'));
            else if (pick < 6)
                bytes += special[next() % sizeof special];
            else
                bytes.append(next() % 130, static_cast<char>('A' + next() % 26));
        }
        ExpectSameFraming(bytes, 1 + next() % 64);
        ExpectSameFraming(bytes, 1 << 16);
        ExpectSameFraming(bytes, 1 + next() % 64, false);
    }
}

}  // namespace
