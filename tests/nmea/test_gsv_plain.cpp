// A GSV page of plain digits is decoded at once; whatever the walk from the
// sentence's start would read differently keeps the walking reader's values.
#include <gtest/gtest.h>

#include <string>

#include "nmea/SentenceHandlers.h"

namespace {

TEST(ParseGSVPlain, WhatTheAddressHoldsIsReadAsTheWalkReadsIt) {
    const std::string rest = ",1,1,04,01,40,03,46,02,17,08,41,12,07,44,39,14,22,28,45*75";
    NMEA_GSV_Object plain;
    EXPECT_TRUE(ParseGSV("$GPGSV" + rest, plain));
    EXPECT_EQ(plain.Pages[0].Total, 1);
    EXPECT_EQ(plain.Satellites[3].Prn, 14);
    EXPECT_EQ(plain.Satellites[3].Snr, 45);
    EXPECT_EQ(plain.Pages[0].Checksum, 0x75);

    // A digit in the address is the first number read: the total is 2.
    NMEA_GSV_Object digit;
    EXPECT_FALSE(ParseGSV("$GPGSV2" + rest, digit));
    EXPECT_EQ(digit.Pages[0].Total, 2);
    EXPECT_EQ(digit.Pages[0].Number, 1);
    EXPECT_EQ(digit.Satellites[0].Prn, 4);
    EXPECT_EQ(digit.Pages[0].Checksum, 0x45);

    // A '-' ending the address signs the first number.
    NMEA_GSV_Object minus;
    EXPECT_FALSE(ParseGSV("$GPGSV-" + rest, minus));
    EXPECT_EQ(minus.Pages[0].Total, 255);
}

TEST(ParseGSVPlain, LongAndSignedFieldsKeepTheReadersValues) {
    NMEA_GSV_Object gsv;
    // Ten digits wrap like a 32-bit register: 4294967297 reads as 1.
    EXPECT_TRUE(ParseGSV("$GPGSV,1,1,01,4294967297,40,083,46*75", gsv));
    EXPECT_EQ(gsv.Satellites[0].Prn, 1);
    EXPECT_EQ(gsv.Satellites[0].Azimuth, 83);
    // A signed elevation is out of range: the page leaves the record as it was.
    NMEA_GSV_Object before = gsv;
    EXPECT_FALSE(ParseGSV("$GPGSV,1,1,01,07,-4,083,46*75", gsv));
    EXPECT_EQ(gsv.Satellites[0].Prn, before.Satellites[0].Prn);
    EXPECT_EQ(gsv.Satellites[0].Elevation, before.Satellites[0].Elevation);
    // An empty field reads as 0; the checksum is walked from the last entry.
    EXPECT_TRUE(ParseGSV("$GPGSV,1,1,01,07,,083,*3C", gsv));
    EXPECT_EQ(gsv.Satellites[0].Prn, 7);
    EXPECT_EQ(gsv.Satellites[0].Elevation, 0);
    EXPECT_EQ(gsv.Satellites[0].Snr, 0);
    EXPECT_EQ(gsv.Pages[0].Checksum, 0x3C);
    // A signal id after the entries is what the checksum walk meets first.
    EXPECT_TRUE(ParseGSV("$GPGSV,1,1,01,07,10,083,20,1*3C", gsv));
    EXPECT_EQ(gsv.Pages[0].Checksum, 1);
}

}  // namespace
