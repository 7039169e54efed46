// What each restart sends to each kind of receiver (the SiRF texts as the
// command sender completes them on the wire).
#include <gtest/gtest.h>

#include "link/RestartCommands.h"
#include "serial/UbxText.h"

namespace {

TEST(RestartCommands, EachReceiverGetsItsOwnProtocolAndAnUnknownOneBoth) {
    const struct {
        RestartKind Kind;
        const char* Sirf;
        const char* Ubx;
    } cases[] = {
        {RestartKind::Hot, "$PSRF104,0,0,0,96000,237759,922,12,1*", UbxHotStartFrame},
        {RestartKind::Warm, "$PSRF104,0,0,0,96000,237759,922,12,2*", UbxWarmStartFrame},
        {RestartKind::Cold, "$PSRF104,0,0,0,96000,237759,922,12,4*", UbxColdStartFrame},
    };
    for (const auto& c : cases) {
        using Lines = std::vector<std::string>;
        EXPECT_EQ(RestartCommandLines(c.Kind, ReceiverProtocol::Nmea), Lines{c.Sirf});
        EXPECT_EQ(RestartCommandLines(c.Kind, ReceiverProtocol::Ubx), Lines{c.Ubx});
        EXPECT_EQ(RestartCommandLines(c.Kind, ReceiverProtocol::Unknown), (Lines{c.Sirf, c.Ubx}));
    }
    // CFG-RST has no factory reset: every receiver gets the SiRF text alone.
    for (auto protocol : {ReceiverProtocol::Nmea, ReceiverProtocol::Ubx, ReceiverProtocol::Unknown})
        EXPECT_EQ(RestartCommandLines(RestartKind::Factory, protocol),
                  std::vector<std::string>{"$PSRF104,0,0,0,96000,237759,922,12,8*"});
}

}  // namespace
