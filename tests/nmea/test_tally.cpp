// The sentence tally through the real dispatcher: sound and failed sentences
// by address, line noise apart, and addresses beyond the table as "other".
#include <gtest/gtest.h>

#include <cstdio>

#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"

namespace {

std::string Sentence(const std::string& body, bool sound = true) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sound ? sum : sum ^ 1);
    return "$" + body + tail;
}

TEST(SentenceTally, CountsSoundAndFailedSentencesByAddress) {
    NMEA_Manager store;
    DispatchSentence(Sentence("GPGGA,120000.00,,,,,0,00,,,M,,M,,"), store, nullptr);
    DispatchSentence(Sentence("GPGGA,120001.00,,,,,0,00,,,M,,M,,"), store, nullptr);
    DispatchSentence(Sentence("GLGSV,1,1,00", false), store, nullptr);
    DispatchSentence(Sentence("PUBX,00"), store,
                     nullptr);  // unknown to the decoders, still counted
    DispatchSentence("$\x01\x02garbage*00", store, nullptr);
    const auto rows = store.Tally.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].Address, "GLGSV");
    EXPECT_EQ(rows[0].Sound, 0u);
    EXPECT_EQ(rows[0].Failed, 1u);
    EXPECT_EQ(rows[1].Address, "GPGGA");
    EXPECT_EQ(rows[1].Sound, 2u);
    EXPECT_EQ(rows[2].Address, "PUBX") << "proprietary addresses are counted too";
    EXPECT_EQ(rows[3].Address, "noise");
    EXPECT_EQ(rows[3].Failed, 1u);
}

TEST(SentenceTally, AddressesBeyondTheTableCountAsOther) {
    SentenceTally tally;
    for (int i = 0; i < SentenceTally::Capacity + 5; ++i) {
        char address[12];
        std::snprintf(address, sizeof address, "$GP%03d,", i);
        tally.Count(address, true);
    }
    const auto rows = tally.Rows();
    ASSERT_EQ(rows.size(), static_cast<size_t>(SentenceTally::Capacity) + 1);
    EXPECT_EQ(rows.back().Address, "other");
    EXPECT_EQ(rows.back().Sound, 5u);
}

}  // namespace
