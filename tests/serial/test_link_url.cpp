// Link URLs: what each kind accepts, and the message a malformed one gets.
#include <gtest/gtest.h>

#include <algorithm>

#include "serial/LinkUrl.h"
#include "serial/Source.h"

namespace {

LinkUrl Parsed(const std::string& text) {
    LinkUrl url;
    std::string error;
    EXPECT_TRUE(ParseLinkUrl(text, url, error)) << text << ": " << error;
    return url;
}

std::string ErrorOf(const std::string& text) {
    LinkUrl url;
    std::string error;
    EXPECT_FALSE(ParseLinkUrl(text, url, error)) << text;
    return error;
}

TEST(LinkUrl, EachKindReadsItsParts) {
    const LinkUrl tcp = Parsed("tcp://gps.local:4001");
    EXPECT_EQ(tcp.Kind, LinkKind::Tcp);
    EXPECT_EQ(tcp.Host, "gps.local");
    EXPECT_EQ(tcp.Port, 4001);

    const LinkUrl udp = Parsed("udp://:10110");
    EXPECT_EQ(udp.Kind, LinkKind::Udp);
    EXPECT_EQ(udp.Host, "");
    EXPECT_EQ(udp.Port, 10110);
    EXPECT_EQ(Parsed("udp://[::1]:65535").Host, "::1");

    const LinkUrl gpsd = Parsed("gpsd://127.0.0.1");
    EXPECT_EQ(gpsd.Kind, LinkKind::Gpsd);
    EXPECT_EQ(gpsd.Port, 2947);
    const LinkUrl device = Parsed("gpsd://127.0.0.1:3000/dev/ttyUSB1");
    EXPECT_EQ(device.Port, 3000);
    EXPECT_EQ(device.Path, "/dev/ttyUSB1");

    const LinkUrl file = Parsed("file:///tmp/a capture.txt");
    EXPECT_EQ(file.Kind, LinkKind::File);
    EXPECT_EQ(file.Path, "/tmp/a capture.txt");
}

TEST(LinkUrl, AMalformedUrlSaysWhatIsWrong) {
    EXPECT_NE(ErrorOf("serial://x:1").find("unknown link kind \"serial\""), std::string::npos);
    EXPECT_NE(ErrorOf("tcp://:4001").find("the host is missing"), std::string::npos);
    EXPECT_NE(ErrorOf("tcp://host").find("the port is missing"), std::string::npos);
    EXPECT_NE(ErrorOf("tcp://host:").find("the port after \":\" is missing"), std::string::npos);
    EXPECT_NE(ErrorOf("tcp://host:0").find("\"0\" is not a number from 1 to 65535"),
              std::string::npos);
    EXPECT_NE(ErrorOf("tcp://host:65536").find("\"65536\""), std::string::npos);
    EXPECT_NE(ErrorOf("tcp://host:12a").find("\"12a\""), std::string::npos);
    EXPECT_NE(ErrorOf("udp://::1:5").find("in brackets"), std::string::npos);
    EXPECT_NE(ErrorOf("udp://[::1:5").find("closing"), std::string::npos);
    EXPECT_NE(ErrorOf("tcp://host:5/x").find("takes no path"), std::string::npos);
    EXPECT_NE(ErrorOf("file://").find("path is missing"), std::string::npos);
    // The message starts with the URL the user typed.
    EXPECT_EQ(ErrorOf("tcp://host").rfind("tcp://host: ", 0), 0u);
}

TEST(LinkUrl, OnlyTcpSendsAndPathsAreNoUrls) {
    EXPECT_TRUE(TextCanSend("tcp://h:1"));
    EXPECT_FALSE(TextCanSend("udp://:1"));
    EXPECT_FALSE(TextCanSend("gpsd://h"));
    EXPECT_FALSE(TextCanSend("file:///x"));
    EXPECT_TRUE(TextCanSend("/dev/ttyUSB0"));
    EXPECT_FALSE(LooksLikeLinkUrl("/dev/ttyUSB0"));
    size_t count = 0;
    LinkKinds(count);
    const std::string usage = LinkUsageText();
    EXPECT_EQ(std::count(usage.begin(), usage.end(), '\n'), static_cast<long>(2 * count));
}

// The port panel, the detection thread and the tools read an entry by one
// rule: a URL is a link, a path or COMn (1 to 255) a device, the rest none;
// the status bar's short name follows from it.
TEST(Source, AnEntryIsALinkADevicePathOrACom) {
    using K = Source::Kind;
    const struct {
        const char* Entry;
        K Kind;
        const char* ShortName;
    } cases[] = {
        {"tcp://a:1", K::Link, "tcp://a:1"},
        {"gpsd://localhost/dev/ttyUSB0", K::Link, "gpsd://localhost/dev/ttyUSB0"},
        {"file:///tmp/capture.txt", K::Link, "file:///tmp/capture.txt"},
        {"/dev/ttyUSB0", K::Device, "ttyUSB0"},
        {"/dev/pts/7", K::Device, "pts/7"},  // a folder of /dev stays
        {"/tmp/links/gps0", K::Device, "gps0"},
        {"COM1", K::Device, "1"},
        {"COM255", K::Device, "255"},
        {"COM256", K::None, ""},
        {"COM4294967298", K::None, ""},  // no wrap to 2
        {"COM0", K::None, ""},
        {"COM", K::None, ""},
        {"COM1x", K::None, ""},
        {"com3", K::None, ""},
        {"port 12", K::None, ""},
        {"ttyUSB0", K::None, ""},
        {"", K::None, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Entry);
        const Source source = Source::FromEntry(c.Entry);
        EXPECT_EQ(source.Type(), c.Kind);
        EXPECT_EQ(source.Text(), c.Kind == K::None ? "" : c.Entry);
        EXPECT_EQ(source.ShortName(), c.ShortName);
    }
    EXPECT_EQ(Source::FromEntry("/dev/ttyUSB0"), Source::Device("/dev/ttyUSB0"));
    EXPECT_NE(Source::Device("tcp://a:1"), Source::Link("tcp://a:1"));
    EXPECT_NE(Source::Device("/dev/ttyUSB0"), Source::Device("/dev/ttyUSB1"));
}

}  // namespace
