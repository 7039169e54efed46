// The evaluation window's Messages page: what came over the link, sentences
// and frames, and every byte read in its class.
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <memory>
#include <string>

#include "control/EvaluationWindow.h"
#include "eval/EpochRecorder.h"
#include "framing/Framing.h"
#include "gtest/gtest.h"
#include "intake/Intake.h"
#include "intake/UbxIntake.h"
#include "nmea/Dispatch.h"
#include "tests/framing/RtcmBytes.h"
#include "tests/framing/UbxBytes.h"

namespace {

// A receiver that sends UBX and RTCM 3 only, with a little noise.
TEST(MessagesPage, ShowsTheFramesThatCameAndBytesThatAddUp) {
    std::string nav(92, '\0');
    nav[20] = 3;  // a 3D fix
    nav[21] = 0x01;
    std::string stream = "noise\r\n";
    for (int epoch = 0; epoch < 3; ++epoch)
        stream += UbxBytes(0x01, 0x07, nav) + RtcmBytes(1077, std::string(30, '$'));
    NMEA_Manager store;
    MemoryByteSource source(stream.data(), stream.size());
    Intake intake(store);
    IntakeSinks none;
    while (!source.AtEnd()) intake.Next(source, none);
    EpochRecorder recording;
    TEvaluationWindow window(store, recording, [](RestartKind) { return true; });
    window.tabs->setCurrentWidget(window.messageTable->parentWidget());
    window.Refresh();
    QStringList rows;
    for (int row = 0; row < window.messageTable->rowCount(); ++row)
        rows << window.messageTable->item(row, 0)->text() + "=" +
                    window.messageTable->item(row, 1)->text();
    rows.sort();
    EXPECT_EQ(rows.join(' ').toStdString(), "RTCM 1077=3 UBX NAV-PVT=3");
    // "Bytes read: N = a + b + ...": the classes add up to what was read.
    const QString text = window.bytesLabel->text();
    QRegularExpressionMatchIterator numbers = QRegularExpression("\\d+").globalMatch(text);
    std::vector<uint64_t> values;
    while (numbers.hasNext()) values.push_back(numbers.next().captured().toULongLong());
    ASSERT_EQ(values.size(), 8u) << text.toStdString();  // "RTCM 3" is one of them
    EXPECT_EQ(values[0], stream.size()) << text.toStdString();
    EXPECT_EQ(values[1] + values[2] + values[3] + values[5] + values[6] + values[7], values[0])
        << text.toStdString();
    EXPECT_EQ(values[7], 7u) << "noise: " << text.toStdString();
}

}  // namespace
