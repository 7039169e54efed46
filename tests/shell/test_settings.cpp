// The monitor's kept choices: written by one window, applied to the next;
// a damaged file or nonsense values leave the defaults.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>

#include "control/CampaignPanel.h"
#include "control/EvaluationWindow.h"
#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"
#include "control/FrameComPortSetting.h"
#include "control/FrameUtilButton.h"
#include "control/PortEnumeration.h"
#include "eval/EpochRecorder.h"
#include "shell/MainForm.h"
#include "shell/MonitorSettings.h"
#ifndef _WIN32
#include "tests/serial/PtyPair.h"
#endif
#include "views/FrameSViewer.h"

namespace {

constexpr char ExtraPort[] = "/tmp/lumarokub-settings-test-port";

// One run of the monitor: the window and the two setting windows.
struct MonitorRun {
    SettingsTargets Targets() {
        SettingsTargets t;
        t.Port = FComPortSetting;
        t.Ublox = &Ublox;
        t.Sirf = Sirf.Panel();
        t.Tools = FUtilButton;
        t.Sky = FSViewer;
        t.Evaluation = &Window.Evaluation();
        t.Window = &Window;
        return t;
    }
    TMainForm Window;
    TFmNmeaChoice_ub Ublox;
    TFmNmeaChoice Sirf;
};

class Settings : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Before = ExtraPorts();
        SetExtraPorts({ExtraPort});
    }
    // The ports of the test run come back: a window without any port would
    // say so in a message box and wait for it to be closed.
    void TearDown() override { SetExtraPorts(Before); }
    QString File() const { return Dir.filePath("conf/lumarokub.ini"); }
    void Write(const QByteArray& text) const {
        QDir().mkpath(Dir.filePath("conf"));
        QFile f(File());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir Dir;
    std::vector<std::string> Before;
};

TEST_F(Settings, ChoicesOfOneRunAreAppliedToTheNext) {
    const MonitorSettings settings(File());
    {
        MonitorRun first;
        QComboBox* ports = FComPortSetting->portCombo;
        ports->setCurrentIndex(ports->findText(ExtraPort));
        ASSERT_TRUE(FComPortSetting->SelectBaudRate(38400));
        FComPortSetting->modeCombo->setCurrentIndex(2);
        first.Ublox.chkGSV->setChecked(true);
        first.Ublox.chkZDA->setChecked(true);
        first.Ublox.chkUart->setChecked(!first.Ublox.chkUart->isChecked());
        first.Ublox.edtPeriod->setText("500");
        first.Sirf.Panel()->intervalEdits[3]->setText("10");
        FUtilButton->SetCaptureFolder(Dir.path());
        FSViewer->SkyClick();  // axes on
        TCampaignPanel& c = *first.Window.Evaluation().campaign;
        c.kindCombo->setCurrentIndex(0);
        c.runsSpin->setValue(25);
        c.untilCombo->setCurrentIndex(1);
        c.pauseSpin->setValue(2.5);
        first.Window.Evaluation().referenceEdit->setText("48.1, 11.5, 520");
        first.Window.Evaluation().keepSpin->setValue(3600);
        std::string problem;
        ASSERT_TRUE(settings.Save(first.Targets(), problem)) << problem;
    }
    MonitorRun next;
    ASSERT_FALSE(next.Ublox.chkGSV->isChecked()) << "the test needs a default unlike the choice";
    const bool uartDefault = next.Ublox.chkUart->isChecked();
    std::string problem;
    ASSERT_TRUE(settings.Restore(next.Targets(), problem)) << problem;
    EXPECT_EQ(FComPortSetting->portCombo->currentText(), ExtraPort);
    EXPECT_EQ(FComPortSetting->baudCombo->currentIndex(), 3);
    EXPECT_EQ(FComPortSetting->modeCombo->currentIndex(), 2);
    EXPECT_TRUE(next.Ublox.chkGSV->isChecked());
    EXPECT_TRUE(next.Ublox.chkZDA->isChecked());
    EXPECT_FALSE(next.Ublox.chkGGA->isChecked());
    EXPECT_NE(next.Ublox.chkUart->isChecked(), uartDefault);
    EXPECT_EQ(next.Ublox.edtPeriod->text(), "500");
    EXPECT_EQ(next.Sirf.Panel()->intervalEdits[3]->text(), "10");
    EXPECT_EQ(FUtilButton->CaptureFolder(), Dir.path());
    EXPECT_TRUE(FSViewer->AxesShown());
    EXPECT_TRUE(FSViewer->FullLayout());
    EXPECT_FALSE(FComPortSetting->ConnectionStarted()) << "a kept port is selected, not opened";
    const TCampaignPanel& c = *next.Window.Evaluation().campaign;
    EXPECT_EQ(c.kindCombo->currentIndex(), 0);
    EXPECT_EQ(c.runsSpin->value(), 25);
    EXPECT_EQ(c.untilCombo->currentIndex(), 1);
    EXPECT_EQ(c.pauseSpin->value(), 2.5);
    EXPECT_EQ(next.Window.Evaluation().referenceEdit->text(), "48.1, 11.5, 520");
    EXPECT_EQ(next.Window.Evaluation().keepSpin->value(), 3600);
    std::lock_guard<std::mutex> hold(NmeaManager->Lock());
    EXPECT_EQ(next.Window.Recording().Limit(), 3600000u) << "the recording follows";
}

// The window's place and size come back; a place off the screen, or a size
// larger than it, is moved and shrunk onto it.
TEST_F(Settings, TheWindowComesBackWhereItWasOntoTheScreen) {
    const MonitorSettings settings(File());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect kept(screen.x() + 30, screen.y() + 20, 600, 520);
    ASSERT_TRUE(screen.contains(kept)) << "the test needs a screen of 630 x 540";
    {
        MonitorRun first;
        first.Window.resize(kept.size());
        first.Window.move(kept.topLeft());
        std::string problem;
        ASSERT_TRUE(settings.Save(first.Targets(), problem)) << problem;
    }
    {
        MonitorRun next;
        std::string problem;
        ASSERT_TRUE(settings.Restore(next.Targets(), problem)) << problem;
        EXPECT_EQ(next.Window.size(), kept.size());
        EXPECT_EQ(next.Window.pos(), kept.topLeft());
    }
    Write("[window]\nx=50000\ny=-300\nwidth=30000\nheight=400\n");
    MonitorRun far;
    std::string problem;
    ASSERT_TRUE(settings.Restore(far.Targets(), problem)) << problem;
    const QRect placed(far.Window.pos(), far.Window.size());
    EXPECT_EQ(placed.width(), screen.width());
    EXPECT_EQ(placed.height(), 498) << "never below the smallest size";
    EXPECT_TRUE(screen.contains(placed)) << placed.x() << "," << placed.y();
}

// Bytes that are not a settings file, however QSettings reads them: a
// broken INI text, binary garbage, text that is not UTF-8. Each is refused
// as a whole with the reason (the line the monitor writes on standard error).
TEST_F(Settings, ADamagedFileIsIgnoredWithAReason) {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage.append(static_cast<char>((i * 7919 + 13) % 256));
    const QByteArray files[] = {
        QByteArray("[port\nbaud=38400\n\x01\x02=\xff\n[sky]]]\naxes=true\n"),
        "[port]\nbaud=38400\n[sky]\naxes=true\n" + garbage,
        QByteArray("[port]\nbaud=38400\nname=\xc3\x28\xff\n[sky]\naxes=true\n"),
    };
    for (const QByteArray& bytes : files) {
        SCOPED_TRACE(bytes.left(40).toHex().toStdString());
        Write(bytes);
        MonitorRun run;
        const int baud = FComPortSetting->baudCombo->currentIndex();
        std::string problem;
        EXPECT_FALSE(MonitorSettings(File()).Restore(run.Targets(), problem));
        EXPECT_NE(problem.find("lumarokub.ini is damaged"), std::string::npos) << problem;
        EXPECT_EQ(FComPortSetting->baudCombo->currentIndex(), baud);
        EXPECT_FALSE(FSViewer->AxesShown());
    }
}

#ifndef _WIN32
// A pseudo-terminal kept from the last run is selected again while it is
// there, though no port listing names it.
TEST_F(Settings, AKeptPseudoTerminalIsSelectedAgain) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    Write(QByteArray("[port]\nname=") + pty.Path().c_str() + "\nbaud=9600\n");
    MonitorRun run;
    ASSERT_EQ(FComPortSetting->portCombo->findText(QString::fromStdString(pty.Path())), -1);
    std::string problem;
    ASSERT_TRUE(MonitorSettings(File()).Restore(run.Targets(), problem)) << problem;
    EXPECT_EQ(FComPortSetting->portCombo->currentText().toStdString(), pty.Path());
    EXPECT_EQ(FComPortSetting->baudCombo->currentIndex(), 1);
    EXPECT_FALSE(FComPortSetting->ConnectionStarted()) << "selected, not opened";
}
#endif

TEST_F(Settings, NonsenseValuesLeaveTheDefaults) {
    Write(
        "[port]\nbaud=12345\nmode=9\nname=/dev/none\n[ublox]\nperiod=10\nuart=maybe\n"
        "[sirf]\nintervals\\0=256\n[capture]\nfolder=/no/such/folder\n[sky]\naxes=1\n"
        "[window]\nx=10\ny=10\nwidth=wide\nheight=900\n");
    MonitorRun run;
    const int baud = FComPortSetting->baudCombo->currentIndex();
    const int mode = FComPortSetting->modeCombo->currentIndex();
    const QString port = FComPortSetting->portCombo->currentText();
    const QString period = run.Ublox.edtPeriod->text();
    const bool uart = run.Ublox.chkUart->isChecked();
    const QString interval = run.Sirf.Panel()->intervalEdits[0]->text();
    std::string problem;
    EXPECT_TRUE(MonitorSettings(File()).Restore(run.Targets(), problem)) << problem;
    EXPECT_EQ(FComPortSetting->baudCombo->currentIndex(), baud);
    EXPECT_EQ(FComPortSetting->modeCombo->currentIndex(), mode);
    EXPECT_EQ(FComPortSetting->portCombo->currentText(), port);
    EXPECT_EQ(run.Ublox.edtPeriod->text(), period);
    EXPECT_EQ(run.Ublox.chkUart->isChecked(), uart);
    EXPECT_EQ(run.Sirf.Panel()->intervalEdits[0]->text(), interval);
    EXPECT_TRUE(FUtilButton->CaptureFolder().isEmpty());
    EXPECT_FALSE(FSViewer->AxesShown());
    EXPECT_EQ(run.Window.size(), QSize(420, 498)) << "a window kept in part is not restored";
}

}  // namespace
