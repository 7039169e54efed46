// The checksum of a sentence of a type the table does not know is summed as
// the split sums the known ones; both agree with a plain byte-by-byte sum
// wherever the '*' stands and whatever the length.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "nmea/Dispatch.h"
#include "nmea/FieldList.h"

namespace {

// The sum and the '*', one byte at a time.
size_t PlainSum(const std::string& s, uint8_t& sum) {
    sum = 0;
    size_t i = 1;
    for (; i < s.size() && s[i] != '*'; ++i) sum ^= static_cast<uint8_t>(s[i]);
    return i;
}

TEST(ChecksumSum, AgreesWithTheSplitAndAPlainSum) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 3000; ++trial) {
        std::string s = "$";
        const int length = static_cast<int>(random() % 110);
        for (int i = 0; i < length; ++i) s += static_cast<char>(' ' + random() % 95);
        uint8_t expected = 0, sum = 0;
        const size_t star = PlainSum(s, expected);
        EXPECT_EQ(FieldList::Sum(s, sum), star) << s;
        EXPECT_EQ(sum, expected) << s;
        const FieldList fields(s);
        EXPECT_EQ(fields.Star(), star) << s;
        EXPECT_EQ(fields.Sum(), expected) << s;
        // With its checksum written after the '*', the sentence verifies.
        if (star < s.size()) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02X", expected);
            const std::string sound = s.substr(0, star + 1) + digits + "\r";
            EXPECT_TRUE(VerifyChecksum(sound)) << sound;
            EXPECT_FALSE(VerifyChecksum(sound.substr(0, star) + "Q" + sound.substr(star))) << sound;
        } else {
            EXPECT_FALSE(VerifyChecksum(s)) << s;
        }
    }
}

}  // namespace
