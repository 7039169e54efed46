// The RTCM 3 view shows what the frames told the store: the messages with
// their counts, rates and ages, the station with its baseline to the
// receiver, the descriptors and each system's corrected satellites.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTableWidget>

#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"
#include "tests/rtcm/RtcmPayload.h"
#include "views/RtcmView.h"

namespace {

void Take(NMEA_Manager& store, const std::string& payload, double at) {
    store.Rtcm.Take(reinterpret_cast<const uint8_t*>(payload.data()), payload.size(), at);
}

std::string Msm(uint16_t number, uint64_t satellites, uint32_t signalMask, int cells) {
    RtcmPayload p;
    p.Bits(12, number).Bits(12, 278).Bits(30, 0).Bits(1, 0).Bits(3, 0).Bits(15, 0);
    p.Bits(64, static_cast<int64_t>(satellites)).Bits(32, signalMask);
    for (int i = 0; i < cells; ++i) p.Bits(1, 1);
    return p.Bytes();
}

QString Text(QTableWidget* table, int row, int column) {
    QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

TEST(RtcmView, ShowsMessagesStationBaselineDescriptorsAndSatellitesPerSystem) {
    NMEA_Manager store;
    DispatchSentence(
        "$GPGGA,234042.00,4404.1286780,N,12118.8454060,W,4,20,0.49,1131.226,M,-22.155,M,,*59",
        store, nullptr);
    Take(store,
         RtcmPayload()
             .Bits(12, 1006)
             .Bits(12, 278)
             .Bits(10, 0)
             .Bits(38, -23847647077)
             .Bits(2, 0)
             .Bits(38, -39210891738)
             .Bits(2, 0)
             .Bits(38, 44159760690)
             .Bits(16, 1234)
             .Bytes(),
         9.5);
    Take(store,
         RtcmPayload()
             .Bits(12, 1033)
             .Bits(12, 278)
             .Text("GPPNULLANTENNA")
             .Bits(8, 0)
             .Text("")
             .Text("LEICA GR10")
             .Text("4.50")
             .Text("1703616")
             .Bytes(),
         9.6);
    for (const double at : {10.0, 11.0, 12.0}) {
        Take(store, Msm(1077, 0x8800000100000000, 0x40000000, 3), at);  // G1 G5 G32
        Take(store, Msm(1087, 0x4000000000000000, 0x60000000, 2), at);  // R2, two signals
    }
    Take(store, RtcmPayload().Bits(12, 4072).Bits(12, 0).Bytes(), 12.5);

    TRtcmView view(store);
    view.Refresh(14.0);
    QTableWidget* messages = view.messageTable;
    ASSERT_EQ(messages->rowCount(), 5);
    messages->sortItems(0);
    EXPECT_EQ(Text(messages, 0, 0), "1006");
    EXPECT_EQ(Text(messages, 0, 1), "Station ARP and height");
    EXPECT_EQ(Text(messages, 1, 1), "Receiver and antenna descriptors");
    EXPECT_EQ(Text(messages, 2, 1), "GPS MSM7");
    EXPECT_EQ(Text(messages, 2, 2), "3");
    EXPECT_EQ(Text(messages, 2, 3), "1.00");  // three frames in two seconds
    EXPECT_EQ(Text(messages, 2, 4), "2.0");
    EXPECT_EQ(Text(messages, 3, 1), "GLONASS MSM7");
    EXPECT_EQ(Text(messages, 0, 3), "0.00");  // a single frame has no rate
    EXPECT_EQ(Text(messages, 4, 1), "u-blox proprietary");

    const QString station = view.stationLabel->text();
    EXPECT_TRUE(station.contains("Station 278: N 44.08939091, W 121.30752190, 1070.737 m"))
        << station.toStdString();
    EXPECT_TRUE(station.contains("antenna 0.123 m")) << station.toStdString();
    EXPECT_TRUE(station.contains("baseline 2347.136 m")) << station.toStdString();
    EXPECT_TRUE(view.descriptorLabel->text().contains("\"GPPNULLANTENNA\""));
    EXPECT_TRUE(view.descriptorLabel->text().contains(
        "receiver \"LEICA GR10\", firmware 4.50, serial 1703616"));

    QTableWidget* systems = view.satelliteTable;
    ASSERT_EQ(systems->rowCount(), 2);
    EXPECT_EQ(Text(systems, 0, 0), "GPS");
    EXPECT_EQ(Text(systems, 0, 1), "MSM7");
    EXPECT_EQ(Text(systems, 0, 2), "G1 G5 G32");
    EXPECT_EQ(Text(systems, 0, 4), "3");
    EXPECT_EQ(Text(systems, 1, 2), "R2");
    EXPECT_EQ(Text(systems, 1, 3), "2");
    EXPECT_EQ(view.summaryLabel->text(),
              "Frames 9: unknown 0, proprietary 1, too short 0; bad CRC 0");

    // A new link forgets what the one before told.
    store.Rtcm.StartOver();
    view.Refresh(20.0);
    EXPECT_EQ(messages->rowCount(), 0);
    EXPECT_EQ(systems->rowCount(), 0);
    EXPECT_TRUE(view.stationLabel->text().startsWith("Station: none yet"));
}

}  // namespace
