// The gpsd stream split into the receiver's bytes and the daemon's JSON
// objects, wherever the reads cut it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/LinkDeviceGpsd.h"
#include "tests/framing/UbxBytes.h"

namespace {

const std::string Gga = "$GPGGA,120000.00,2503.0,N,12131.0,E,1,08,1.0,10.0,M,,M,,*00\r\n";
const std::string Version = "{\"class\":\"VERSION\",\"release\":\"3.22\"}";
const std::string Gone = "{\"class\":\"DEVICE\",\"path\":\"/dev/pts/3\",\"activated\":0}";

struct Parts {
    std::string Receiver;
    std::vector<std::string> Objects;
};

// Splits `stream` in reads of the sizes `cuts` gives in turn.
Parts SplitInReads(const std::string& stream, const std::vector<size_t>& cuts) {
    GpsdStreamSplitter splitter;
    Parts parts;
    size_t at = 0;
    for (size_t i = 0; at < stream.size(); ++i) {
        const size_t n = std::min(cuts[i % cuts.size()], stream.size() - at);
        splitter.Split(reinterpret_cast<const uint8_t*>(stream.data()) + at, n, parts.Receiver,
                       parts.Objects);
        at += n;
    }
    return parts;
}

TEST(GpsdStream, KeepsTheReceiversBytesApartFromTheDaemonsObjects) {
    // A frame whose payload reads like the daemon's JSON, and one with LF.
    const std::string jsonInFrame = UbxBytes(0x0A, 0x04, "{\"class\":\"TPV\"}\r\n");
    const std::string frame = UbxBytes(0x01, 0x07, std::string("\n\n\xB5\x62", 4));
    const struct {
        const char* name;
        std::string stream;
        std::string receiver;
        std::vector<std::string> objects;
    } cases[] = {
        {"sentences between objects",
         Version + "\r\n" + Gga + Gone + "\r\n" + Gga,
         Gga + Gga,
         {Version, Gone}},
        {"frames whole",
         frame + Version + "\r\n" + jsonInFrame + frame,
         frame + jsonInFrame + frame,
         {Version}},
        {"a brace of the receiver's",
         "{abc\r\n{\"cla{\"x" + Gga + "{",
         "{abc\r\n{\"cla{\"x" + Gga,
         {}},
        {"a lone sync byte", "\xB5" + Gone + "\r\n" + "\xB5\xB5\x62", "\xB5\xB5\xB5\x62", {Gone}},
        {"a false frame length",
         std::string("\xB5\x62\x01\x07\xFF\xFF", 6) + Gone + "\n",
         std::string("\xB5\x62\x01\x07\xFF\xFF", 6),
         {Gone}},
    };
    for (const auto& c : cases) {
        for (size_t cut = 1; cut <= c.stream.size(); ++cut) {
            // One cut anywhere, then the rest at once; and every byte alone.
            const Parts parts = SplitInReads(c.stream, {cut, c.stream.size()});
            EXPECT_EQ(parts.Receiver, c.receiver) << c.name << ", cut at " << cut;
            EXPECT_EQ(parts.Objects, c.objects) << c.name << ", cut at " << cut;
        }
        EXPECT_EQ(SplitInReads(c.stream, {1}).Receiver, c.receiver) << c.name;
    }
}

}  // namespace
