// Every byte read is counted in one class: sentences split by their
// checksum (with their line ends), frames, bad frames and noise; on every
// corpus capture the classes add up to the file, and the RTCM 3 frames
// counted by number are those an independent scan finds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framing/Framing.h"
#include "intake/Intake.h"
#include "intake/UbxIntake.h"
#include "nmea/Dispatch.h"
#include "tests/framing/RtcmBytes.h"
#include "tests/framing/UbxBytes.h"

namespace fs = std::filesystem;

namespace {

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
const std::string BadGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48";

// Takes 'bytes' into 'store' through the intake, as the decoder does.
void Decode(const std::string& bytes, NMEA_Manager& store) {
    MemoryByteSource source(bytes.data(), bytes.size());
    Intake intake(store);
    IntakeSinks none;
    while (!source.AtEnd() || intake.Framer().Pending != framing::PendingFrame::None)
        intake.Next(source, none);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct SplitCase {
    const char* Name;
    std::string Bytes;
    uint64_t Sound, BadChecksum, Noise;
};

TEST(ByteTally, SentencesAreSplitByTheirChecksumLineEndsIncluded) {
    const uint64_t g = Gga.size();
    const std::vector<SplitCase> cases = {
        {"sound then bad", Gga + "\r\n" + BadGga + "\r\n", g + 2, g + 2, 0},
        {"bad then sound", BadGga + "\r\r\n" + Gga + "\n", g + 1, g + 3, 0},
        {"a bad one last, its line end at the end", Gga + "\r\n" + BadGga + "\r\n\r\n", g + 2,
         g + 4, 0},
        {"noise between", BadGga + "\r\nxx" + Gga + "\r\n", g + 2, g + 2, 2},
    };
    for (const SplitCase& c : cases) {
        NMEA_Manager store;
        Decode(c.Bytes, store);
        const ByteClasses& b = store.Bytes.Classes();
        EXPECT_EQ(b.Sound, c.Sound) << c.Name;
        EXPECT_EQ(b.BadChecksum, c.BadChecksum) << c.Name;
        EXPECT_EQ(b.Noise, c.Noise) << c.Name;
        EXPECT_EQ(b.Total(), c.Bytes.size()) << c.Name;
    }
}

// RTCM 3 frames by number as a plain scan finds them: D3, six zero bits, the
// length, and a CRC-24Q (computed bit by bit) that holds.
std::map<uint16_t, uint64_t> ScanRtcm(const std::string& bytes) {
    std::map<uint16_t, uint64_t> counts;
    for (size_t i = 0; i + 6 <= bytes.size();) {
        const auto at = [&](size_t k) { return static_cast<uint8_t>(bytes[k]); };
        const size_t length = static_cast<size_t>((at(i + 1) & 0x03) << 8 | at(i + 2));
        const size_t size = 3 + length + 3;
        if (at(i) != 0xD3 || (at(i + 1) & 0xFC) != 0 || i + size > bytes.size()) {
            ++i;
            continue;
        }
        const uint32_t sent = static_cast<uint32_t>(at(i + size - 3) << 16 | at(i + size - 2) << 8 |
                                                    at(i + size - 1));
        if (BitwiseCrc24q(bytes.substr(i, 3 + length)) != sent) {
            ++i;
            continue;
        }
        ++counts[length < 2 ? 0 : static_cast<uint16_t>(at(i + 3) << 4 | at(i + 4) >> 4)];
        i += size;
    }
    return counts;
}

TEST(ByteTally, EveryCorpusCaptureAddsUpToItsSize) {
    const fs::path corpus = fs::path(LUMAROKUB_CORPUS_DIR).parent_path();
    int files = 0, rtcmFiles = 0;
    for (const char* folder : {"nmea", "ubx", "rtcm"}) {
        for (const auto& entry : fs::directory_iterator(corpus / folder)) {
            if (entry.path().extension() != ".log") continue;
            const std::string bytes = ReadFile(entry.path());
            auto store = std::make_unique<NMEA_Manager>();
            Decode(bytes, *store);
            const ByteClasses& b = store->Bytes.Classes();
            EXPECT_EQ(b.Total(), bytes.size()) << entry.path();
            ++files;
            if (std::string(folder) != "rtcm") continue;
            std::map<uint16_t, uint64_t> framed;
            for (int i = 0; i < store->Rtcm.Kinds(); ++i)
                framed[store->Rtcm[i].Number] = store->Rtcm[i].Frames;
            EXPECT_EQ(framed, ScanRtcm(bytes)) << entry.path();
            rtcmFiles += !framed.empty();
        }
    }
    EXPECT_GE(files, 64);  // 42 NMEA, 16 UBX and 6 RTCM 3 captures
    EXPECT_EQ(rtcmFiles, 5);
}

}  // namespace
