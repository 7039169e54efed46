// The evaluation window on its own: a refused reference says why, exports
// get their format's suffix, the campaign's runs are counted in words and
// the window opens whole on its screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include "control/CampaignPanel.h"
#include "control/EvaluationWindow.h"
#include "eval/EpochRecorder.h"
#include "nmea/NmeaManager.h"

namespace {

class EvaluationWindow : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }
    // The window's own button (the campaign has an "Export CSV..." too).
    QPushButton* Button(const QString& text) {
        for (QPushButton* b : Window.findChildren<QPushButton*>())
            if (b->text() == text && !Window.campaign->isAncestorOf(b)) return b;
        return nullptr;
    }
    // Runs events until 'done', 30 s at most.
    template <class Done>
    bool RunUntil(Done done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 30000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        return done();
    }

    QTemporaryDir Dir;
    NMEA_Manager Store;
    EpochRecorder Recording;
    TEvaluationWindow Window{Store, Recording, [](RestartKind) { return true; }};
};

TEST_F(EvaluationWindow, AReferenceThatIsNotAPositionIsRefusedWithItsReason) {
    const struct {
        const char* Text;
        const char* Reason;  // in the refusal; null: accepted
    } cases[] = {
        {"", nullptr},
        {"48.1, 11.5", nullptr},
        {" -33.8568 , 151.2153 , 58.5 ", nullptr},
        {"abc, 12", "latitude \"abc\" is not a number"},
        {"48.1, east", "longitude \"east\" is not a number"},
        {"48.1, 11.5, high", "altitude \"high\" is not a number"},
        {"91, 11.5", "latitude \"91\" is out of range (-90 to 90)"},
        {"48.1, -181", "longitude \"-181\" is out of range (-180 to 180)"},
        {"48.1", "is not latitude, longitude[, altitude]"},
        {"1, 2, 3, 4", "is not latitude, longitude[, altitude]"},
    };
    Window.tabs->setCurrentIndex(1);  // accuracy
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        QString refusal;
        const auto position = TEvaluationWindow::ParseReference(c.Text, refusal);
        EXPECT_EQ(position.has_value(), c.Reason == nullptr && *c.Text != '\0');
        EXPECT_EQ(refusal.isEmpty(), c.Reason == nullptr) << refusal.toStdString();
        if (c.Reason) {
            EXPECT_TRUE(refusal.contains(c.Reason)) << refusal.toStdString();
        }
        // The window shows the reason under the reference, and nothing else.
        Window.referenceEdit->setText(c.Text);
        Window.Refresh();
        EXPECT_EQ(Window.referenceNote->isHidden(), c.Reason == nullptr);
        if (c.Reason) {
            EXPECT_TRUE(Window.referenceNote->text().contains(c.Reason));
        }
    }
    QString refusal;
    const auto position = TEvaluationWindow::ParseReference("-33.8568, 151.2153, 58.5", refusal);
    ASSERT_TRUE(position.has_value());
    EXPECT_DOUBLE_EQ(position->Latitude, -33.8568);
    EXPECT_DOUBLE_EQ(position->Longitude, 151.2153);
    EXPECT_DOUBLE_EQ(position->Altitude.value_or(0), 58.5);
}

// A name typed without a suffix is saved with the format's; one with a
// suffix is kept. The campaign's export and the recording's alike.
TEST_F(EvaluationWindow, ExportsAreSavedUnderTheirFormatsSuffix) {
    QString answer;
    Window.SetSaveChooser([&](const QString&, const QString&) { return answer; });
    const struct {
        const char* Typed;
        const char* Saved;
        const char* Button;
    } cases[] = {{"track", "track.csv", "Export CSV..."},
                 {"route", "route.gpx", "Export GPX..."},
                 {"path", "path.kml", "Export KML..."},
                 {"mine.txt", "mine.txt", "Export CSV..."},
                 {"alarms", "alarms.csv", "Export alarms (CSV)..."},
                 {"runs", "runs.csv", "campaign"}};
    TCampaignPanel& campaign = *Window.campaign;
    campaign.runsSpin->setValue(1);
    campaign.timeoutSpin->setValue(1);
    campaign.startButton->click();
    for (int cycle = 0; cycle < 3; ++cycle) Recording.Record(Epoch{});  // the receiver is heard
    ASSERT_TRUE(RunUntil([&] { return !campaign.Running(); }));
    EXPECT_TRUE(campaign.summaryLabel->text().startsWith("1 run, 1 timed out"))
        << campaign.summaryLabel->text().toStdString();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        answer = Dir.filePath(c.Typed);
        QPushButton* button =
            std::string(c.Button) == "campaign" ? campaign.csvButton : Button(c.Button);
        ASSERT_NE(button, nullptr);
        button->click();
        EXPECT_TRUE(QFile::exists(Dir.filePath(c.Saved)));
        if (std::string(c.Typed) != c.Saved) {
            EXPECT_FALSE(QFile::exists(answer));
        }
    }
}

// Wherever it was left and however large, the window opens inside the
// screen's free area.
TEST_F(EvaluationWindow, OpensWholeOnItsScreen) {
    const QRect area = QApplication::primaryScreen()->availableGeometry();
    const QRect placed[] = {{area.right() - 100, area.bottom() - 50, 640, 560},
                            {area.left() - 300, area.top() - 200, 640, 560},
                            {area.left(), area.top(), area.width() + 200, area.height() + 300}};
    for (const QRect& r : placed) {
        Window.hide();
        Window.setGeometry(r);
        Window.show();
        QApplication::processEvents();
        EXPECT_TRUE(area.contains(Window.frameGeometry()))
            << Window.frameGeometry().x() << "," << Window.frameGeometry().y() << " "
            << Window.frameGeometry().width() << "x" << Window.frameGeometry().height() << " in "
            << area.width() << "x" << area.height();
    }
}

}  // namespace
