// The health page and the alarm reports over a jammed simulated receiver:
// its epochs composed as the simulator composes them and dispatched into a
// store with a recording, as the reader does. The blocks, spectrum and
// alarms table show what the receiver and the watch told; each alarm is
// reported once, as the console and the status bar get it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTableWidget>
#include <cstdlib>

#include "eval/EpochRecorder.h"
#include "intake/UbxIntake.h"
#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"
#include "tools/sim/EpochSentences.h"
#include "tools/sim/EpochUbx.h"
#include "tools/sim/Interference.h"
#include "tools/sim/NmeaText.h"
#include "views/AlarmReporter.h"
#include "views/HealthView.h"

namespace {

constexpr int64_t StartMs = 1772366400000;  // 2026-03-01 12:00:00 UTC

// Runs 'seconds' epochs of a multi-constellation receiver jammed from 'jamAtS'.
void Feed(NMEA_Manager& store, double jamAtS, int seconds) {
    ReceiverSettings r;
    r.Seed = 7;
    r.Multi = true;
    r.LatDeg = 25.04776, r.LonDeg = 121.53185;
    r.StartUnixMs = StartMs;
    r.Times[0] = {0.5, 1};
    ReceiverModel model(r);
    InterferenceSettings jam;
    jam.JamAtS = jamAtS;
    jam.RfRate = jam.SpanRate = jam.SecSigRate = 1;
    const HealthRates rates(jam);
    for (int s = 0; s <= seconds; ++s) {
        EpochState e = model.Advance(s * 1000);
        ApplyInterference(jam, s * 1000, e);
        for (int k = 0; k < SentenceKindCount; ++k)
            for (const std::string& body :
                 ComposeSentences(static_cast<SentenceKind>(k), e, TalkerMode::Multi)) {
                const std::string text = FinishSentence(body);
                DispatchSentence(text.substr(0, text.size() - 2), store, nullptr);
            }
        std::vector<std::string> frames = ComposeUbxFrames(e);
        for (std::string& f : ComposeHealthFrames(e, rates)) frames.push_back(std::move(f));
        for (const std::string& f : frames)
            DispatchUbx(reinterpret_cast<const uint8_t*>(f.data()), f.size(), store);
    }
}

QString Cell(QTableWidget* t, int row, int column) {
    QTableWidgetItem* item = t->item(row, column);
    return item ? item->text() : QString();
}

TEST(HealthView, AJammedReceiverShowsItsBlocksSpectrumAndAlarms) {
    NMEA_Manager store;
    EpochRecorder recording(EpochRecorder::DefaultLimit, [] { return 0u; });
    store.Epochs = &recording;
    std::vector<std::string> reported;
    TAlarmReporter reporter(store, recording,
                            [&](const std::string& line) { reported.push_back(line); });
    THealthView view(store, recording);
    view.resize(900, 700);

    Feed(store, 10, 8);
    view.Refresh();
    EXPECT_EQ(view.eventTable->rowCount(), 0);
    EXPECT_EQ(reporter.Poll(), 0);
    ASSERT_EQ(view.blockTable->rowCount(), 2);
    EXPECT_EQ(Cell(view.blockTable, 0, 1), "ok");
    EXPECT_EQ(Cell(view.blockTable, 0, 3), "ok");
    EXPECT_TRUE(view.summaryLabel->text().contains("Spoofing: none"))
        << view.summaryLabel->text().toStdString();

    // A fresh store: the receiver runs on into the jammer.
    NMEA_Manager jammed;
    EpochRecorder jammedRecording(EpochRecorder::DefaultLimit, [] { return 0u; });
    jammed.Epochs = &jammedRecording;
    THealthView jammedView(jammed, jammedRecording);
    TAlarmReporter jammedReporter(jammed, jammedRecording,
                                  [&](const std::string& line) { reported.push_back(line); });
    std::vector<std::string> notes;
    jammedReporter.SetNoteReport([&](const std::string& note) { notes.push_back(note); });
    Feed(jammed, 10, 14);
    jammedView.Refresh();
    ASSERT_EQ(jammedView.eventTable->rowCount(), 2);
    EXPECT_EQ(Cell(jammedView.eventTable, 0, 1), "jamming");
    EXPECT_EQ(Cell(jammedView.eventTable, 1, 1), "cno-drop");
    // Raised at the jamming moment (the cycle of 12:00:10 ends when the next begins).
    EXPECT_EQ(Cell(jammedView.eventTable, 0, 0), "12:00:10.000");
    EXPECT_EQ(Cell(jammedView.blockTable, 1, 3), "critical");
    EXPECT_GT(Cell(jammedView.blockTable, 0, 4).toInt(), 150);

    EXPECT_EQ(jammedReporter.Poll(), 2);
    EXPECT_EQ(jammedReporter.Poll(), 0);  // each alarm once
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[0].rfind("ALARM jamming: jamming indicator ", 0), 0u) << reported[0];
    // One note for the status bar: the first alarm, the other named after it.
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], reported[0] + " (also cno-drop)");

    // The rows stay, and grow only by new alarms.
    jammedView.Refresh();
    EXPECT_EQ(jammedView.eventTable->rowCount(), 2);

    // The spectrum: both blocks, with the bands in each span marked.
    ASSERT_EQ(jammedView.spectrum->Spectra().Count, 2);
    const auto l1 = jammedView.spectrum->BandsShown(0);
    const auto l2 = jammedView.spectrum->BandsShown(1);
    EXPECT_NE(
        std::find_if(l1.begin(), l1.end(), [](const char* n) { return std::string(n) == "L1/E1"; }),
        l1.end());
    EXPECT_NE(
        std::find_if(l2.begin(), l2.end(), [](const char* n) { return std::string(n) == "L2"; }),
        l2.end());
    EXPECT_EQ(
        std::find_if(l2.begin(), l2.end(), [](const char* n) { return std::string(n) == "L1/E1"; }),
        l2.end());
    jammedView.resize(900, 700);
    const QImage shot = jammedView.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (const char* dir = std::getenv("LUMAROKUB_SCREENSHOT_DIR"))
        shot.save(QString(dir) + "/health-jammed.png");
}

}  // namespace
