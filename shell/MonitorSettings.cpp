#include "shell/MonitorSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStringDecoder>
#include <algorithm>
#include <array>

#include "control/CampaignPanel.h"
#include "control/CorrectionsWindow.h"
#include "control/EvaluationWindow.h"
#include "control/FormNmeaChoice.h"
#include "control/FormNmeaChoiceUb.h"
#include "control/FrameComPortSetting.h"
#include "control/FrameUtilButton.h"
#include "link/ThreadGpsDeviceDetect.h"
#include "ntrip/NtripUrl.h"
#include "shell/MainForm.h"
#include "shell/WatchSettings.h"
#include "views/FrameSViewer.h"

namespace {

constexpr char KeyPort[] = "port/name";
constexpr char KeyRate[] = "port/baud";
constexpr char KeyMode[] = "port/mode";
constexpr char KeyUbloxUart[] = "ublox/uart";
constexpr char KeyUbloxUsb[] = "ublox/usb";
constexpr char KeyUbloxPeriod[] = "ublox/period";
constexpr char GroupUbloxMessages[] = "ublox/messages/";
constexpr char GroupSirfIntervals[] = "sirf/intervals/";
constexpr char KeyCaptureFolder[] = "capture/folder";
constexpr char KeySkyAxes[] = "sky/axes";
constexpr char KeySkyFullLayout[] = "sky/fullLayout";
constexpr char KeyWindowX[] = "window/x";
constexpr char KeyWindowY[] = "window/y";
constexpr char KeyWindowWidth[] = "window/width";
constexpr char KeyWindowHeight[] = "window/height";
constexpr char KeyCampaignKind[] = "campaign/kind";
constexpr char KeyCampaignRuns[] = "campaign/runs";
constexpr char KeyCampaignUntil[] = "campaign/until";
constexpr char KeyCampaignTimeout[] = "campaign/timeout";
constexpr char KeyCampaignPause[] = "campaign/pause";
constexpr char KeyReference[] = "accuracy/reference";
constexpr char KeyKeptEpochs[] = "recording/keepThousands";
constexpr char KeyCaster[] = "corrections/caster";
constexpr char KeyMountpoint[] = "corrections/mountpoint";
constexpr char KeyCasterUser[] = "corrections/user";
constexpr char KeyCasterPassword[] = "corrections/password";
constexpr char KeyGgaInterval[] = "corrections/ggaInterval";

constexpr int MinPeriodMs = 250;
constexpr int MaxPeriodMs = 60000;
constexpr int MaxSirfInterval = 255;
// Far beyond any desktop, yet no overflow when a place and a size are added.
constexpr int MaxWindowCoordinate = 1 << 20;

const char* const UbloxMessageNames[TFmNmeaChoice_ub::MessageCount] = {"GGA", "GLL", "GSA", "GSV",
                                                                       "RMC", "VTG", "ZDA"};

// The message boxes, in the order of UbloxMessageNames.
std::array<QCheckBox*, TFmNmeaChoice_ub::MessageCount> MessageBoxes(const TFmNmeaChoice_ub& d) {
    return {d.chkGGA, d.chkGLL, d.chkGSA, d.chkGSV, d.chkRMC, d.chkVTG, d.chkZDA};
}

// A kept value, only when it is present and of its kind.
bool ReadBool(const QSettings& s, const char* key, bool& value) {
    const QString text = s.value(key).toString();
    if (text != "true" && text != "false") return false;
    value = text == "true";
    return true;
}

bool ReadInt(const QSettings& s, const QString& key, int low, int high, int& value) {
    bool ok = false;
    const int v = s.value(key).toString().toInt(&ok);
    if (!ok || v < low || v > high) return false;
    value = v;
    return true;
}

void RestoreBox(const QSettings& s, const char* key, QCheckBox* box) {
    bool checked = false;
    if (box && ReadBool(s, key, checked)) box->setChecked(checked);
}

// The port is only chosen while nothing is connected: a port given on the
// command line or found at start-up wins.
void RestorePort(const QSettings& s, TFComPortSetting& panel) {
    if (panel.ConnectionStarted()) return;
    panel.SelectKeptEntry(s.value(KeyPort).toString().toStdString());
    int rate = 0;
    if (ReadInt(s, KeyRate, BaudRateTable[0], BaudRateTable[BaudRateCount - 1], rate))
        panel.SelectBaudRate(rate);
    int mode = 0;
    if (ReadInt(s, KeyMode, 0, panel.modeCombo->count() - 1, mode))
        panel.modeCombo->setCurrentIndex(mode);
}

void RestoreUblox(const QSettings& s, TFmNmeaChoice_ub& dialog) {
    RestoreBox(s, KeyUbloxUart, dialog.chkUart);
    RestoreBox(s, KeyUbloxUsb, dialog.chkUSB);
    const auto boxes = MessageBoxes(dialog);
    for (int i = 0; i < TFmNmeaChoice_ub::MessageCount; ++i)
        RestoreBox(s, (QString(GroupUbloxMessages) + UbloxMessageNames[i]).toUtf8().constData(),
                   boxes[static_cast<size_t>(i)]);
    int period = 0;
    if (ReadInt(s, KeyUbloxPeriod, MinPeriodMs, MaxPeriodMs, period))
        dialog.edtPeriod->setText(QString::number(period));
}

void RestoreSirf(const QSettings& s, TFNmeaChoice& panel) {
    for (int row = 0; row < TFNmeaChoice::RowCount; ++row) {
        int interval = 0;
        if (ReadInt(s, QString(GroupSirfIntervals) + QString::number(row), 0, MaxSirfInterval,
                    interval))
            panel.intervalEdits[static_cast<size_t>(row)]->setText(QString::number(interval));
    }
}

bool ReadSeconds(const QSettings& s, const char* key, const QDoubleSpinBox* box, double& value) {
    bool ok = false;
    const double v = s.value(key).toString().toDouble(&ok);
    if (!ok || v < box->minimum() || v > box->maximum()) return false;
    value = v;
    return true;
}

void RestoreEvaluation(const QSettings& s, TEvaluationWindow& window) {
    TCampaignPanel& c = *window.campaign;
    int number = 0;
    if (ReadInt(s, KeyCampaignKind, 0, c.kindCombo->count() - 1, number))
        c.kindCombo->setCurrentIndex(number);
    if (ReadInt(s, KeyCampaignUntil, 0, c.untilCombo->count() - 1, number))
        c.untilCombo->setCurrentIndex(number);
    if (ReadInt(s, KeyCampaignRuns, c.runsSpin->minimum(), c.runsSpin->maximum(), number))
        c.runsSpin->setValue(number);
    double seconds = 0;
    if (ReadSeconds(s, KeyCampaignTimeout, c.timeoutSpin, seconds))
        c.timeoutSpin->setValue(seconds);
    if (ReadSeconds(s, KeyCampaignPause, c.pauseSpin, seconds)) c.pauseSpin->setValue(seconds);
    window.referenceEdit->setText(s.value(KeyReference).toString());
    if (ReadInt(s, KeyKeptEpochs, window.keepSpin->minimum(), window.keepSpin->maximum(), number))
        window.keepSpin->setValue(number);
}

// The caster only as an ntrip:// address, the password only in its obscured form.
void RestoreCorrections(const QSettings& s, TCorrectionsWindow& window) {
    const QString caster = s.value(KeyCaster).toString();
    if (LooksLikeNtripUrl(caster.toStdString())) window.casterEdit->setText(caster);
    window.mountEdit->setText(s.value(KeyMountpoint).toString());
    window.userEdit->setText(s.value(KeyCasterUser).toString());
    window.SetKeptPassword(s.value(KeyCasterPassword).toString().toStdString());
    int seconds = 0;
    if (ReadInt(s, KeyGgaInterval, window.ggaSpin->minimum(), window.ggaSpin->maximum(), seconds))
        window.ggaSpin->setValue(seconds);
}

void SaveCorrections(QSettings& s, const TCorrectionsWindow& window) {
    s.setValue(KeyCaster, QString::fromStdString(window.KeptCaster()));
    s.setValue(KeyMountpoint, window.mountEdit->text());
    s.setValue(KeyCasterUser, window.userEdit->text());
    s.setValue(KeyCasterPassword, QString::fromStdString(window.KeptPassword()));
    s.setValue(KeyGgaInterval, window.ggaSpin->value());
}

void RestoreSky(const QSettings& s, TFSViewer& sky) {
    bool axes = false, full = true;
    if (ReadBool(s, KeySkyAxes, axes) && axes != sky.AxesShown()) sky.SkyClick();
    if (ReadBool(s, KeySkyFullLayout, full) && full != sky.FullLayout()) sky.SkyDblClick();
}

// The window's place and size, only when all four are present and sane;
// the window moves them onto the screen.
void RestoreWindow(const QSettings& s, TMainForm& window) {
    int x = 0, y = 0, width = 0, height = 0;
    if (ReadInt(s, KeyWindowX, -MaxWindowCoordinate, MaxWindowCoordinate, x) &&
        ReadInt(s, KeyWindowY, -MaxWindowCoordinate, MaxWindowCoordinate, y) &&
        ReadInt(s, KeyWindowWidth, 1, MaxWindowCoordinate, width) &&
        ReadInt(s, KeyWindowHeight, 1, MaxWindowCoordinate, height))
        window.RestoreGeometry(QRect(x, y, width, height));
}

// A settings file is text: no control byte but tab and line ends, and UTF-8
// throughout. Anything else is not ours, whatever QSettings makes of it.
bool IsText(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return true;  // unreadable: told as such below
    const QByteArray bytes = f.readAll();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(bytes);
    return !utf8.hasError();
}

}  // namespace

QString MonitorSettings::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/lumarokub/lumarokub.ini";
}

bool MonitorSettings::Restore(const SettingsTargets& targets, std::string& problem) const {
    const QFileInfo info(FFile);
    if (!info.exists()) return true;
    QSettings s(FFile, QSettings::IniFormat);
    const bool damaged = s.status() == QSettings::FormatError || !IsText(FFile);
    if (!info.isReadable() || damaged || s.status() != QSettings::NoError) {
        problem = "settings file " + FFile.toStdString() +
                  (damaged ? " is damaged" : " cannot be read") + "; starting with the defaults";
        return false;
    }
    if (targets.Port) RestorePort(s, *targets.Port);
    if (targets.Ublox) RestoreUblox(s, *targets.Ublox);
    if (targets.Sirf) RestoreSirf(s, *targets.Sirf);
    const QString folder = s.value(KeyCaptureFolder).toString();
    if (targets.Tools && !folder.isEmpty() && QFileInfo(folder).isDir())
        targets.Tools->SetCaptureFolder(folder);
    // The place and size before the layout: a compact layout keeps them for later.
    if (targets.Window) RestoreWindow(s, *targets.Window);
    if (targets.Sky) RestoreSky(s, *targets.Sky);
    if (targets.Evaluation) RestoreEvaluation(s, *targets.Evaluation);
    if (targets.Watch && targets.WatchLock) {
        std::lock_guard<std::mutex> hold(*targets.WatchLock);
        targets.Watch->SetThresholds(ReadWatchThresholds(s, targets.Watch->Thresholds()));
    }
    if (targets.Corrections) RestoreCorrections(s, *targets.Corrections);
    return true;
}

bool MonitorSettings::Save(const SettingsTargets& targets, std::string& problem) const {
    QDir().mkpath(QFileInfo(FFile).absolutePath());
    QSettings s(FFile, QSettings::IniFormat);
    s.clear();
    if (const TFComPortSetting* port = targets.Port) {
        s.setValue(KeyPort, port->portCombo->currentText());
        s.setValue(KeyRate, BaudRateTable[std::max(0, port->baudCombo->currentIndex())]);
        s.setValue(KeyMode, port->modeCombo->currentIndex());
    }
    if (const TFmNmeaChoice_ub* ublox = targets.Ublox) {
        s.setValue(KeyUbloxUart, ublox->chkUart->isChecked());
        s.setValue(KeyUbloxUsb, ublox->chkUSB->isChecked());
        const auto boxes = MessageBoxes(*ublox);
        for (int i = 0; i < TFmNmeaChoice_ub::MessageCount; ++i)
            s.setValue(QString(GroupUbloxMessages) + UbloxMessageNames[i],
                       boxes[static_cast<size_t>(i)]->isChecked());
        s.setValue(KeyUbloxPeriod, ublox->edtPeriod->text());
    }
    if (const TFNmeaChoice* sirf = targets.Sirf)
        for (int row = 0; row < TFNmeaChoice::RowCount; ++row)
            s.setValue(QString(GroupSirfIntervals) + QString::number(row),
                       sirf->intervalEdits[static_cast<size_t>(row)]->text());
    if (targets.Tools && !targets.Tools->CaptureFolder().isEmpty())
        s.setValue(KeyCaptureFolder, targets.Tools->CaptureFolder());
    if (const TFSViewer* sky = targets.Sky) {
        s.setValue(KeySkyAxes, sky->AxesShown());
        s.setValue(KeySkyFullLayout, sky->FullLayout());
    }
    if (const TMainForm* window = targets.Window) {
        const QRect kept = window->KeptGeometry();
        s.setValue(KeyWindowX, kept.x());
        s.setValue(KeyWindowY, kept.y());
        s.setValue(KeyWindowWidth, kept.width());
        s.setValue(KeyWindowHeight, kept.height());
    }
    if (const TEvaluationWindow* window = targets.Evaluation) {
        const TCampaignPanel& c = *window->campaign;
        s.setValue(KeyCampaignKind, c.kindCombo->currentIndex());
        s.setValue(KeyCampaignUntil, c.untilCombo->currentIndex());
        s.setValue(KeyCampaignRuns, c.runsSpin->value());
        s.setValue(KeyCampaignTimeout, c.timeoutSpin->value());
        s.setValue(KeyCampaignPause, c.pauseSpin->value());
        s.setValue(KeyReference, window->referenceEdit->text());
        s.setValue(KeyKeptEpochs, window->keepSpin->value());
    }
    if (targets.Watch && targets.WatchLock) {
        std::lock_guard<std::mutex> hold(*targets.WatchLock);
        WriteWatchThresholds(s, targets.Watch->Thresholds());
    }
    if (targets.Corrections) SaveCorrections(s, *targets.Corrections);
    s.sync();
    if (s.status() != QSettings::NoError) {
        problem = "cannot write the settings file " + FFile.toStdString();
        return false;
    }
    return true;
}
