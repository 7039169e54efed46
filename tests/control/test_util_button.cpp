// The capture panel with real files: naming, start and stop, cancel, and the
// failures a user must hear about.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QToolButton>
#include <fstream>
#include <mutex>
#include <sstream>

#include "ControlFixture.h"
#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"
#include "control/FrameUtilButton.h"

namespace {
std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteCaptured(NMEA_Manager& store, const std::string& sentence) {
    std::lock_guard<std::mutex> lock(store.Lock());
    store.Capture.WriteLine(sentence);
}

class UtilButtonTest : public ControlFixture {
  protected:
    // The dialog answers with `name` (empty: cancelled) and counts its runs.
    void Answer(const QString& name) {
        FPanel.SetSaveDialogRunner([this, name](QFileDialog&) {
            ++DialogRuns;
            return name;
        });
    }
    std::string InDir(const char* name) const { return FDir.filePath(name).toStdString(); }
    void TearDown() override {
        if (FPanel.Logging()) FPanel.StopLog();
        ControlFixture::TearDown();
    }

    QTemporaryDir FDir;
    TFUtilButton FPanel{nullptr, Store()};
    int DialogRuns = 0;
};
}  // namespace

TEST(UtilButtonNaming, TxtRule) {
    EXPECT_EQ(TFUtilButton::CaptureFileName("track"), "track.txt");
    EXPECT_EQ(TFUtilButton::CaptureFileName("track.TXT"), "track.TXT");
    EXPECT_EQ(TFUtilButton::CaptureFileName("a.txtb"), "a.txtb");
    EXPECT_EQ(TFUtilButton::CaptureFileName("log.txt.old"), "log.txt.old");
    EXPECT_EQ(TFUtilButton::CaptureFileName("LOG.Txt"), "LOG.Txt.txt");
    EXPECT_EQ(TFUtilButton::CaptureFileName("/d.txt/x"), "/d.txt/x");
}

TEST_F(UtilButtonTest, PanelLayoutAndDialogSettings) {
    EXPECT_EQ(FPanel.logButton->text(), "Log");
    EXPECT_EQ(FPanel.settingButton->text(), "NMEA Setting");
    EXPECT_EQ(FPanel.logButton->geometry(), QRect(0, 0, 105, 35));
    EXPECT_EQ(FPanel.settingButton->geometry(), QRect(0, 35, 105, 35));
    EXPECT_EQ(FPanel.logButton->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(FPanel.logButton->autoRaise());
    EXPECT_EQ(FPanel.SaveDialog().acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(FPanel.SaveDialog().nameFilters(), QStringList{"Captured NMEA Files (*.txt)"});
    EXPECT_FALSE(FPanel.SaveDialog().testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(FPanel.SaveDialog().defaultSuffix().isEmpty());
    EXPECT_FALSE(FPanel.Logging());
}

TEST_F(UtilButtonTest, CaptureStartsWritesLinesAndStops) {
    Answer(FDir.filePath("track"));
    FPanel.logButton->click();
    ASSERT_TRUE(FPanel.Logging());
    EXPECT_EQ(FPanel.logButton->text(), "Stop Log");
    WriteCaptured(*NmeaManager, "$GPGGA,1*00\r");
    WriteCaptured(*NmeaManager, "$GPRMC,2*00\r");
    FPanel.logButton->click();
    EXPECT_FALSE(FPanel.Logging());
    EXPECT_EQ(FPanel.logButton->text(), "Log");
    WriteCaptured(*NmeaManager, "$GPGSA,late*00\r");  // the stream is closed: nothing more lands
    EXPECT_EQ(ReadFile(InDir("track.txt")), "$GPGGA,1*00\r\r\n$GPRMC,2*00\r\r\n");
    EXPECT_TRUE(Messages.empty());
}

// The folder kept is the one the capture went to, not the one the dialog
// showed when the path was typed; a cancelled dialog keeps it.
TEST_F(UtilButtonTest, TheCaptureFolderIsTheFilesFolder) {
    ASSERT_TRUE(QDir(FDir.path()).mkpath("typed/here"));
    FPanel.SetCaptureFolder(FDir.path());
    FPanel.SaveDialog();  // shown before, in the kept folder
    Answer(FDir.filePath("typed/here/drive"));
    FPanel.logButton->click();
    ASSERT_TRUE(FPanel.Logging());
    FPanel.logButton->click();
    EXPECT_EQ(FPanel.CaptureFolder(), FDir.filePath("typed/here"));
    EXPECT_EQ(FPanel.SaveDialog().directory().absolutePath(), FDir.filePath("typed/here"))
        << "the next capture starts there";
    Answer("");
    FPanel.logButton->click();
    EXPECT_EQ(FPanel.CaptureFolder(), FDir.filePath("typed/here"));
}

TEST_F(UtilButtonTest, ExistingFileIsEmptiedNeverAppended) {
    { std::ofstream(InDir("old.txt")) << "earlier capture\n"; }
    Answer(FDir.filePath("old.txt"));
    FPanel.LogClick();
    ASSERT_TRUE(FPanel.Logging());
    FPanel.LogClick();
    EXPECT_EQ(ReadFile(InDir("old.txt")), "");
}

TEST_F(UtilButtonTest, CancelKeepsLogAndAskAgainNextTime) {
    Answer("");
    FPanel.LogClick();
    EXPECT_FALSE(FPanel.Logging());
    EXPECT_EQ(FPanel.logButton->text(), "Log");
    FPanel.LogClick();
    EXPECT_EQ(DialogRuns, 2);
    EXPECT_FALSE(NmeaManager->Capture.IsOpen());
}

TEST_F(UtilButtonTest, UncreatableFileIsReportedAndStaysLog) {
    Answer(FDir.filePath("no-such-folder/track"));
    FPanel.LogClick();
    EXPECT_FALSE(FPanel.Logging());
    EXPECT_EQ(FPanel.logButton->text(), "Log");
    EXPECT_FALSE(NmeaManager->Capture.IsOpen());
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_NE(Messages[0].Text.find(InDir("no-such-folder/track.txt")), std::string::npos);
    EXPECT_NE(Messages[0].Text.find("No such file or directory"), std::string::npos);
}

TEST_F(UtilButtonTest, WriteErrorStopsCaptureAndTellsOnce) {
    Answer(FDir.filePath("track"));
    FPanel.LogClick();
    ASSERT_TRUE(FPanel.Logging());
    {
        // The disk fills up under the running capture.
        std::lock_guard<std::mutex> lock(NmeaManager->Lock());
        ASSERT_TRUE(NmeaManager->Capture.Open("/dev/full"));
        EXPECT_FALSE(NmeaManager->Capture.WriteLine("$GPGGA,1*00\r"));
    }
    FPanel.CaptureFailed();
    FPanel.CaptureFailed();  // a second report of the same failure
    EXPECT_FALSE(FPanel.Logging());
    EXPECT_EQ(FPanel.logButton->text(), "Log");
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_NE(Messages[0].Text.find("/dev/full"), std::string::npos);
    EXPECT_NE(Messages[0].Text.find("No space left on device"), std::string::npos);
}

TEST_F(UtilButtonTest, SettingWindowsComeUpOnceAndToTheFront) {
    TFmNmeaChoice_ub ublox;
    TFmNmeaChoice sirf;
    FPanel.SetSettingWindows(&ublox, &sirf);
    FPanel.settingButton->click();
    FPanel.settingButton->click();
    EXPECT_TRUE(ublox.isVisible());
    EXPECT_FALSE(sirf.isVisible());
    FPanel.SirfSettingClick();
    EXPECT_TRUE(sirf.isVisible());
    EXPECT_EQ(QApplication::topLevelWidgets().count(&ublox), 1);
    FPanel.SetSettingWindows(nullptr, nullptr);
}
