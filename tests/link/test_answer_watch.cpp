// The watch over the answers to UBX frames sent: acknowledged, refused or
// silent past the limit, each told once, in the order the frames went out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/UbxAnswerWatch.h"

namespace {

using Clock = UbxAnswerWatch::Clock;

TEST(UbxAnswerWatch, EachFrameIsAcknowledgedRefusedOrReportedSilent) {
    UbxAnswerWatch watch;
    std::vector<std::string> told;
    watch.SetReport([&](const std::string& line) { told.push_back(line); });
    const Clock::time_point t0 = Clock::now();
    watch.Expect(0x06, 0x01, t0);  // CFG-MSG
    watch.Expect(0x06, 0x01, t0);  // CFG-MSG
    watch.Expect(0x06, 0x08, t0);  // CFG-RATE
    EXPECT_EQ(watch.Waiting(), 3u);
    watch.Answered(false, 0x06, 0x08);
    watch.Answered(true, 0x06, 0x01);
    watch.Answered(true, 0x05, 0x05);  // nothing waits for it
    watch.Tick(t0 + UbxAnswerWatch::AnswerLimit - std::chrono::milliseconds(1));
    EXPECT_EQ(told, (std::vector<std::string>{"UBX CFG-RATE refused", "UBX CFG-MSG acknowledged"}));
    watch.Tick(t0 + UbxAnswerWatch::AnswerLimit);
    EXPECT_EQ(told.back(), "UBX CFG-MSG: no answer");
    EXPECT_EQ(watch.Waiting(), 0u);
    watch.Answered(true, 0x06, 0x01);  // too late: told already
    EXPECT_EQ(told.size(), 3u);
}

}  // namespace
