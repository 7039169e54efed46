// Texts of the corrections settings: the password as the settings keep it
// and the fixed position a GGA is built from.
#include <gtest/gtest.h>

#include "ntrip/GgaText.h"
#include "ntrip/ObscuredText.h"

namespace {

TEST(ObscuredText, ComesBackWholeAndNeverInClear) {
    for (const std::string plain :
         {"", "a", "aaaa", "s3cret-Pw", "pass word:@/", "\xC3\xA9t\xC3\xA9"}) {
        const std::string kept = ObscureText(plain);
        EXPECT_EQ(kept.rfind("obscured:", 0), 0u);
        if (plain.size() > 1) {
            EXPECT_EQ(kept.find(plain), std::string::npos) << kept;
        }
        std::string back = "left alone";
        ASSERT_TRUE(RevealText(kept, back)) << kept;
        EXPECT_EQ(back, plain);
    }
    // Repeated characters do not show as repeated digits.
    const std::string kept = ObscureText("aaaa");
    EXPECT_NE(kept.substr(9, 2), kept.substr(11, 2)) << kept;
    for (const std::string foreign : {"s3cret-Pw", "obscured:1", "obscured:zz", "Obscured:00"}) {
        std::string back = "left alone";
        EXPECT_FALSE(RevealText(foreign, back)) << foreign;
        EXPECT_EQ(back, "left alone");
    }
}

TEST(GgaPositionText, ReadsLatLonHeightOnTheEarthOnly) {
    const struct {
        const char* Text;
        bool Ok;
        double Latitude, Longitude, Height;
    } cases[] = {
        {"48.1173,11.5167,545.4", true, 48.1173, 11.5167, 545.4},
        {"-33.9,-70.6,0", true, -33.9, -70.6, 0},
        {"90,180,-1000", true, 90, 180, -1000},
        {"90.01,0,0", false, 0, 0, 0},
        {"0,-180.5,0", false, 0, 0, 0},
        {"0,0,100001", false, 0, 0, 0},
        {"48,11", false, 0, 0, 0},
        {"48,11,500,1", false, 0, 0, 0},
        {"48,11,", false, 0, 0, 0},
        {"48;11;500", false, 0, 0, 0},
        {"48,11,5m", false, 0, 0, 0},
        {"nan,11,500", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        GgaPosition position;
        std::string error;
        ASSERT_EQ(ParseGgaPosition(c.Text, position, error), c.Ok) << c.Text;
        if (!c.Ok) {
            EXPECT_NE(error.find(c.Text), std::string::npos) << error;
            continue;
        }
        EXPECT_DOUBLE_EQ(position.Latitude, c.Latitude);
        EXPECT_DOUBLE_EQ(position.Longitude, c.Longitude);
        EXPECT_DOUBLE_EQ(position.HeightM, c.Height);
    }
}

}  // namespace
