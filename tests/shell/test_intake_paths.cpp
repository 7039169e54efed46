// The intake is the one path: the same capture (UBX frames and the
// receiver's own sentences, then RTCM 3 frames) replayed from its file, decoded as
// lumarokub-decode decodes it and read by the reader thread from a
// pseudo-terminal leaves the same store behind: records, display texts,
// UBX records and counts, RTCM 3 counts and bytes by class.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>

#include "link/ThreadNMEAFetch.h"
#include "serial/YComPort.h"
#include "shell/CaptureReplay.h"
#include "tests/framing/RtcmBytes.h"
#include "tests/serial/PtyPair.h"
#include "tests/thread/TestEventLoop.h"
#include "tools/decode/StoreJson.h"
#include "tools/decode/StreamDecoder.h"
#include "tools/decode/UbxJson.h"

namespace {

const std::string Corpus = LUMAROKUB_CORPUS_DIR;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a store holds, as one JSON value (the arrival times of RTCM 3
// frames, which only the reader knows, left out).
nlohmann::json StateOf(const NMEA_Manager& store) {
    std::lock_guard<std::mutex> hold(const_cast<NMEA_Manager&>(store).Lock());
    const ByteClasses& bytes = store.Bytes.Classes();
    return {
        {"store", StoreJson(store, DecodeCounts{})},
        {"ubx", UbxStateJson(store.Ubx, framing::FramerState{})},
        {"rtcmFrames", store.Rtcm.Frames()},
        {"bytes",
         {bytes.Sound, bytes.BadChecksum, bytes.Ubx, bytes.Rtcm, bytes.BadFrames, bytes.Noise}}};
}

// The final state lumarokub-decode writes for the file.
nlohmann::json Decoded(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr);
    StreamByteSource source(file);
    StreamDecoder decoder(true);
    std::ostringstream none;
    while (decoder.More(source)) decoder.DecodeNext(source, none);
    std::ostringstream out;
    decoder.WriteState(out);
    std::fclose(file);
    return nlohmann::json::parse(out.str());
}

// The store the reader thread fills from the bytes written to a pty.
nlohmann::json Read(const std::string& bytes, NMEA_Manager& store) {
    PtyPair pty;
    YComPort port;
    EXPECT_TRUE(pty.Ok() && port.OpenPort(pty.Port(), 115200));
    TestEventLoop loop;
    TNmeaFetch reader(false, nullptr);
    reader.SetPort(&port);
    reader.SetStore(&store);
    reader.SetDispatcher(&loop);
    reader.Start();
    std::thread writer([&] {
        for (size_t at = 0; at < bytes.size();) {
            const ssize_t n = ::write(pty.Master(), bytes.data() + at, bytes.size() - at);
            if (n > 0) at += static_cast<size_t>(n);
        }
    });
    const auto counted = [&] {
        std::lock_guard<std::mutex> hold(store.Lock());
        return store.Bytes.Classes().Total() == bytes.size();
    };
    EXPECT_TRUE(loop.RunUntil(counted, std::chrono::seconds(60)));
    writer.join();
    reader.Terminate();
    EXPECT_TRUE(loop.RunUntil([&] { return reader.Finished(); }));
    reader.WaitFor();
    port.ClosePort();
    return StateOf(store);
}

TEST(IntakePaths, ReplayDecoderAndReaderLeaveTheSameStore) {
    // RTCM 3 frames of a base station after the capture; no line noise, which
    // the reader alone answers with a purge of the port.
    std::string bytes = ReadFile(Corpus + "/ubx/ublox-neo-m8l.log");
    for (int i = 0; i < 40; ++i)
        bytes += RtcmBytes(i % 2 ? 1005 : 1230, std::string(static_cast<size_t>(20 + i), '\x5A'));
    ASSERT_GT(bytes.size(), 60000u);

    const std::string path = ::testing::TempDir() + "intake_paths.log";
    std::ofstream(path, std::ios::binary) << bytes;
    NMEA_Manager replayed;
    ASSERT_TRUE(ReplayCapture(path, replayed).Opened);
    const nlohmann::json replay = StateOf(replayed);
    ASSERT_GT(replay["ubx"]["frames"].get<uint64_t>(), 100u) << replay["ubx"].dump();
    ASSERT_EQ(replay["rtcmFrames"].get<uint64_t>(), 40u);

    // The decoder's final state holds the same store, beside its own counts.
    nlohmann::json decoded = Decoded(path);
    const nlohmann::json store = StoreJson(replayed, DecodeCounts{});
    for (const auto& item : store.items()) {
        if (item.key() == "counts") continue;  // the decoder's own counts stand there
        EXPECT_EQ(decoded[item.key()], item.value()) << item.key();
    }
    decoded["Ubx"]["badChecksums"] = decoded["Ubx"]["oversized"] = 0;  // the framer's counts
    EXPECT_EQ(decoded["Ubx"], replay["ubx"]);

    NMEA_Manager read;
    EXPECT_EQ(Read(bytes, read), replay);
}

}  // namespace
