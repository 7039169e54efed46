// The NTRIP client against a real caster (rtklib's str2str) on 127.0.0.1:
// the source table, a stream forwarded whole across a caster restart, and
// the answers to a wrong password and a missing mountpoint.
#include <gtest/gtest.h>

#include "ntrip/NtripClient.h"
#include "tests/ntrip/CasterProcess.h"
#include "tests/ntrip/ClientProbe.h"
#include "tests/ntrip/RtcmCount.h"

namespace {

constexpr const char* User = "rover";
constexpr const char* Password = "s3cret-Pw";
constexpr const char* Mount = "RTCM32";
// The STR record after "STR;MOUNT;": a network stream that wants GGA.
constexpr const char* Record =
    "Test base;RTCM 3.2;1077(1),1087(1);2;GPS+GLO;TESTNET;DEU;52.48;13.30;1;1;str2str;none;B;N;"
    "9600;";

class CasterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (CasterProcess::Program().empty()) GTEST_SKIP() << "str2str is not installed";
        FPort = CasterProcess::FreePort();
        StartCaster();
    }
    void StartCaster() {
        FCaster = std::make_unique<CasterProcess>(FPort, std::string(User) + ":" + Password, Mount,
                                                  Record);
        ASSERT_TRUE(FCaster->WaitAccepting()) << FCaster->Command();
    }
    NtripClientConfig Config(const std::string& password, const std::string& mount) const {
        NtripClientConfig config;
        std::string error;
        EXPECT_TRUE(ParseNtripUrl("ntrip://" + std::string(User) + ":" + password +
                                      "@127.0.0.1:" + std::to_string(FPort) + "/" + mount,
                                  config.Url, error))
            << error;
        return config;
    }

    uint16_t FPort = 0;
    std::unique_ptr<CasterProcess> FCaster;
};

TEST_F(CasterTest, SourceTableListsTheMountpoint) {
    SourceTable table;
    std::string error;
    std::atomic<bool> stop{false};
    ASSERT_TRUE(FetchSourceTable(Config("", "").Url, NtripLimits{}, stop, table, error)) << error;
    const NtripStream* stream = table.Find(Mount);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Format, "RTCM 3.2");
    EXPECT_TRUE(stream->NeedsGga);
    EXPECT_DOUBLE_EQ(stream->Latitude, 52.48);
    EXPECT_EQ(stream->Bitrate, 9600);
}

// Every byte served reaches the sink in order, before and after the caster
// is killed and started again; each reconnection attempt is said once and
// the password never appears in a message.
TEST_F(CasterTest, StreamsWholeAcrossACasterRestart) {
    const std::string served = ReadCorpus("rtcm3.2.log");
    ASSERT_GT(CountRtcmFrames(served), 100u);
    ClientProbe probe;
    auto client = probe.Start(Config(Password, Mount));
    ASSERT_TRUE(WaitUntil([&] { return client->Status().Phase == NtripPhase::Streaming; }))
        << probe.AllLines();
    ASSERT_TRUE(FCaster->Serve(served));
    ASSERT_TRUE(WaitUntil([&] { return probe.Size() >= served.size(); }));
    {
        std::lock_guard<std::mutex> guard(probe.Lock);
        EXPECT_EQ(CountRtcmFrames(probe.Bytes), CountRtcmFrames(served));
        EXPECT_TRUE(probe.Bytes == served);
    }

    FCaster->Kill();
    ASSERT_TRUE(WaitUntil([&] { return client->Status().Phase != NtripPhase::Streaming; }));
    StartCaster();
    ASSERT_TRUE(WaitUntil(
        [&] {
            const NtripStatus status = client->Status();
            return status.Phase == NtripPhase::Streaming && status.Connections == 2;
        },
        60))
        << probe.AllLines();
    ASSERT_TRUE(FCaster->Serve(served));
    ASSERT_TRUE(WaitUntil([&] { return probe.Size() >= 2 * served.size(); }));
    const std::string lines = probe.AllLines();

    // A drop after streaming again starts the backoff afresh.
    FCaster->Kill();
    ASSERT_TRUE(WaitUntil([&] { return client->Status().Phase == NtripPhase::Waiting; }));
    client->Terminate();
    client->WaitFor();
    EXPECT_EQ(probe.Lines.back().substr(probe.Lines.back().size() - 29),
              "reconnection attempt 1 in 1 s")
        << probe.AllLines();

    EXPECT_TRUE(probe.Bytes == served + served);
    EXPECT_EQ(client->Status().Bytes, 2 * served.size());
    EXPECT_NE(lines.find("the caster ended the stream; reconnection attempt 1 in 1 s"),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find("streaming again"), std::string::npos) << lines;
    EXPECT_EQ(lines.find(Password), std::string::npos) << lines;
    for (unsigned n = 1; n < 6; ++n) {
        const std::string attempt = "attempt " + std::to_string(n) + " in";
        const size_t first = lines.find(attempt);
        if (first != std::string::npos) {
            EXPECT_EQ(lines.find(attempt, first + 1), std::string::npos) << lines;
        }
    }
}

// A wrong password and a missing mountpoint end the client with a message
// saying so; it does not try again.
TEST_F(CasterTest, RefusalsSayWhy) {
    const struct {
        const char* Password;
        const char* Mount;
        const char* Message;
    } cases[] = {
        {"wrong-pw", Mount, "wrong user or password for rover at 127.0.0.1:"},
        {Password, "NOPE", "no mountpoint NOPE at 127.0.0.1:"},
    };
    for (const auto& c : cases) {
        ClientProbe probe;
        auto client = probe.Start(Config(c.Password, c.Mount));
        ASSERT_TRUE(WaitUntil([&] { return client->Status().Phase == NtripPhase::Failed; }))
            << probe.AllLines();
        client->Terminate();
        client->WaitFor();
        const NtripStatus status = client->Status();
        EXPECT_NE(status.LastError.find(c.Message), std::string::npos) << status.LastError;
        EXPECT_EQ(status.Connections, 0u);
        EXPECT_EQ(status.Attempt, 0u);
        const std::string lines = probe.AllLines();
        EXPECT_EQ(lines.find(c.Password), std::string::npos) << lines;
        EXPECT_NE(lines.find(c.Message), std::string::npos) << lines;
    }
}

}  // namespace
