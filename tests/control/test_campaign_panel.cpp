// The campaign panel's choice of what starts and ends a run, against a
// recording filled by hand: a "Corrections start" campaign sends no restart,
// begins its run when told corrections started, and shows and exports the
// times to RTK float and fixed.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <fstream>
#include <mutex>
#include <sstream>

#include "control/CampaignPanel.h"
#include "eval/EpochRecorder.h"

namespace {

struct Bench {
    std::mutex Lock;
    uint32_t NowMs = 0;
    EpochRecorder Recording{EpochRecorder::DefaultLimit, [this] { return NowMs; }};
    int Restarts = 0;
    TCampaignPanel Panel{nullptr, Lock, Recording,
                         [this](RestartKind) { return ++Restarts, true; }};

    // One cycle of the receiver, `ms` after the last, with its solution.
    void Cycle(uint32_t ms, RtkFix solution) {
        NowMs += ms;
        Epoch e;
        e.HostMs = NowMs;
        e.Fix = EpochFix::Fix3D;
        e.Solution = solution;
        {
            std::lock_guard<std::mutex> hold(Lock);
            Recording.Record(e);
        }
        Panel.Tick();
    }
};

TEST(CampaignPanel, TheKindChoosesWhatStartsAndEndsARun) {
    const struct {
        int Kind, Until;
        CampaignStart Start;
        bool UntilRtkFixed;
    } cases[] = {
        {static_cast<int>(RestartKind::Warm), 0, CampaignStart::Restart, false},
        {static_cast<int>(RestartKind::Warm), 1, CampaignStart::Restart, true},
        {TCampaignPanel::CorrectionsStartIndex, 0, CampaignStart::Corrections, true},
    };
    for (const auto& c : cases) {
        Bench b;
        b.Panel.kindCombo->setCurrentIndex(c.Kind);
        b.Panel.untilCombo->setCurrentIndex(c.Until);
        b.Panel.Start();
        const CampaignSettings& s = b.Panel.Campaign()->Settings();
        EXPECT_EQ(s.StartBy, c.Start) << c.Kind;
        EXPECT_EQ(s.UntilRtkFixed, c.UntilRtkFixed) << c.Kind;
        if (c.Start == CampaignStart::Restart) {
            EXPECT_EQ(s.Kind, RestartKind::Warm);
        }
    }
}

TEST(CampaignPanel, ACorrectionsStartRunShowsItsTimesToFloatAndFixed) {
    Bench b;
    b.Panel.kindCombo->setCurrentIndex(TCampaignPanel::CorrectionsStartIndex);
    b.Panel.runsSpin->setValue(1);
    b.Panel.Start();
    for (int i = 0; i < 3; ++i) b.Cycle(1000, RtkFix::Fix3D);
    EXPECT_EQ(b.Panel.runTable->rowCount(), 0) << "no run before corrections start";
    b.Panel.CorrectionsStarted();
    for (RtkFix s : {RtkFix::Fix3D, RtkFix::Float, RtkFix::Float, RtkFix::Fixed}) b.Cycle(1500, s);
    EXPECT_FALSE(b.Panel.Running());
    EXPECT_EQ(b.Restarts, 0);
    ASSERT_EQ(b.Panel.runTable->rowCount(), 1);
    const auto cell = [&](const QString& column) {
        for (int col = 0; col < b.Panel.runTable->columnCount(); ++col)
            if (b.Panel.runTable->horizontalHeaderItem(col)->text() == column)
                return b.Panel.runTable->item(0, col)->text();
        return QString("no column ") + column;
    };
    EXPECT_EQ(cell("Float (s)"), "3.0");
    EXPECT_EQ(cell("Fixed (s)"), "6.0");
    EXPECT_EQ(cell("Result"), "fix");
    QTemporaryDir dir;
    const QString file = dir.filePath("campaign.csv");
    ASSERT_TRUE(b.Panel.ExportCsv(file));
    std::ifstream in(file.toStdString());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\n1,corrections,,,,fix,3.0,6.0\n"), std::string::npos) << text.str();
}

}  // namespace
