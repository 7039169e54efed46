// The evaluation window on the real monitor connected to the simulator: a
// cold-start campaign from the window measures the simulator's times, the
// recording fills the accuracy scatter and the satellite table, and exports
// a row for every epoch with a time or a position.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <fstream>

#include "ConnectFixture.h"
#include "control/CampaignPanel.h"
#include "control/EvaluationWindow.h"
#include "eval/EpochRecorder.h"
#include "tests/link/SimReceivers.h"
#include "views/HistoryView.h"
#include "views/ScatterView.h"

namespace {

constexpr int Baud115200 = 5;
// Slower than the other tests: at 20 the simulator's epochs come close to
// filling the line and back up on a loaded machine.
constexpr double TimeScale = 10;
constexpr double Cold3D = 35, Cold2D = 30;

class Evaluation : public ConnectFixture {
  protected:
    void Connect(ReceiverSimulator& receiver) {
        SetExtraPorts({receiver.SlavePath()});
        OpenWindow();
        Choose(0, Baud115200, ModeGeneral);
        Press();
        ASSERT_TRUE(RunUntil([&] { return WindowConnected(); }, 5s));
    }
    size_t Recorded() {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        return Window->Recording().Size();
    }
    // The epochs recorded with a time or a position: those an export writes.
    size_t Exportable() {
        std::lock_guard<std::mutex> hold(NmeaManager->Lock());
        size_t count = 0;
        Window->Recording().ForEach(0, Window->Recording().Size(), [&](const Epoch& e) {
            if (e.UtcMs != Epoch::NoTime || e.HasPosition) ++count;
        });
        return count;
    }
};

TEST_F(Evaluation, ACampaignFromTheWindowMeasuresTheSimulatorsColdStarts) {
    auto receiver = StartReceiver(115200, TimeScale);
    Connect(*receiver);
    TEvaluationWindow& window = Window->ShowEvaluation(true);
    TCampaignPanel& campaign = *window.campaign;
    EXPECT_EQ(window.tabs->currentWidget(), &campaign);
    campaign.kindCombo->setCurrentIndex(static_cast<int>(RestartKind::Cold));
    campaign.runsSpin->setValue(2);
    campaign.timeoutSpin->setValue(20);
    campaign.pauseSpin->setValue(0.2);
    campaign.startButton->click();
    ASSERT_TRUE(RunUntil([&] { return !campaign.Running(); }, 60s));
    const auto& runs = campaign.Campaign()->Runs();
    ASSERT_EQ(runs.size(), 2u) << campaign.Campaign()->Problem();
    const double cycle = 1 / TimeScale, early = cycle, slack = 0.5;
    for (const CampaignRun& r : runs) {
        EXPECT_FALSE(r.TimedOut);
        EXPECT_GE(r.Fix3D, Cold3D / TimeScale - early) << r.Number;
        EXPECT_LE(r.Fix3D, Cold3D / TimeScale + cycle + slack) << r.Number;
        EXPECT_GE(r.Fix2D, Cold2D / TimeScale - early) << r.Number;
    }
    EXPECT_GE(receiver->Status().Restarts[static_cast<int>(StartKind::Cold)], 2);
    EXPECT_EQ(campaign.runTable->rowCount(), 2);
    EXPECT_EQ(campaign.runTable->item(1, 4)->text(), "fix");
    EXPECT_TRUE(campaign.csvButton->isEnabled());
}

TEST_F(Evaluation, TheRecordingFillsTheViewsAndExportsEveryEpoch) {
    auto receiver = StartReceiver(115200);
    Connect(*receiver);
    ASSERT_TRUE(RunUntil([&] { return Recorded() >= 20; }, 20s));
    TEvaluationWindow& window = Window->ShowEvaluation(false);
    window.tabs->setCurrentIndex(1);  // accuracy
    window.Refresh();
    EXPECT_GT(window.scatter->Report().Samples, 10u);
    EXPECT_LT(window.scatter->Report().Cep95, 50.0) << "the simulator wanders a few metres";
    window.tabs->setCurrentWidget(window.satelliteTable);
    window.Refresh();
    EXPECT_GT(window.satelliteTable->rowCount(), 3);
    emit window.satelliteTable->cellClicked(2, 4);  // a row's satellite: its history line
    ASSERT_TRUE(window.history->Highlighted());
    EXPECT_EQ(ConstellationName(window.history->Highlighted()->System),
              window.satelliteTable->item(2, 0)->text());
    EXPECT_EQ(window.history->Highlighted()->Prn,
              window.satelliteTable->item(2, 1)->text().toInt());
    window.tabs->setCurrentWidget(window.messageTable->parentWidget());
    QStringList addresses;
    const auto ggaRate = [&] {
        window.Refresh();
        addresses.clear();
        for (int row = 0; row < window.messageTable->rowCount(); ++row)
            addresses << window.messageTable->item(row, 0)->text();
        const int gga = static_cast<int>(addresses.indexOf("GPGGA"));
        return gga < 0 ? 0.0 : window.messageTable->item(gga, 2)->data(Qt::DisplayRole).toDouble();
    };
    // The rate needs a second of arrivals: wait for it, however slow the machine.
    EXPECT_TRUE(RunUntil([&] { return ggaRate() > 1.0; }, 20s))
        << "the simulator sends a GGA every simulated second: " << ggaRate();
    EXPECT_TRUE(addresses.contains("GPGSV")) << addresses.join(' ').toStdString();

    // An export holds every epoch with a time or a position recorded at its
    // time (the reader may add more).
    const size_t before = Exportable();
    const std::string file = testing::TempDir() + "evaluation-" + std::to_string(getpid()) + ".csv";
    ASSERT_TRUE(window.ExportRecording(QString::fromStdString(file), "csv"));
    std::ifstream in(file);
    size_t lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    EXPECT_GE(lines, before + 1);
    EXPECT_LE(lines, Exportable() + 1);
    std::remove(file.c_str());

    window.ResetAccuracy();
    window.tabs->setCurrentIndex(1);
    window.Refresh();
    EXPECT_LE(window.scatter->Report().Samples, 2u) << "reset counts only what follows";
}

}  // namespace
