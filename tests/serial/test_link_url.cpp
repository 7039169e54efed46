// Link URLs: what each kind accepts, and the message a malformed one gets.
#include <gtest/gtest.h>

#include <algorithm>

#include "serial/LinkNumbers.h"
#include "serial/LinkUrl.h"
#include "serial/PortTable.h"

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

TEST(LinkNumbers, UrlsGetStableNumbersAbovePorts) {
    const int32_t a = LinkNumberForUrl("tcp://a:1");
    const int32_t b = LinkNumberForUrl("tcp://b:1");
    EXPECT_GE(a, LinkNumberBase);
    EXPECT_NE(a, b);
    EXPECT_EQ(LinkNumberForUrl("tcp://a:1"), a);
    EXPECT_EQ(LinkUrlForNumber(b), "tcp://b:1");
    EXPECT_EQ(PortNameForNumber(a), "tcp://a:1");
    EXPECT_FALSE(IsLinkNumber(LinkNumberBase - 1));
    EXPECT_EQ(NumberOfPathOrUrl("tcp://a:1"), a);
    EXPECT_EQ(NumberOfPathOrUrl("ttyUSB0"), -1);
}

// The port panel and the detection thread read a list entry by one rule.
TEST(LinkNumbers, AnEntryIsAPathAUrlOrACom) {
    const struct {
        const char* Entry;
        int32_t Number;
    } cases[] = {{"COM1", 1},   {"COM255", 255},      {"COM256", -1},  {"COM", -1},
                 {"COM1x", -1}, {"com3", -1},         {"port 12", -1}, {"ttyUSB0", -1},
                 {"", -1},      {"COM4294967298", -1}};
    for (const auto& c : cases) EXPECT_EQ(PortNumberOfEntry(c.Entry), c.Number) << c.Entry;
    EXPECT_EQ(PortNumberOfEntry("tcp://a:1"), LinkNumberForUrl("tcp://a:1"));
    EXPECT_EQ(PortNumberOfEntry("/dev/ttyUSB7"), PortTable::NumberForPath("/dev/ttyUSB7"));
}

}  // namespace
