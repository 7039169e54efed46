#include "control/FrameUtilButton.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QShortcut>
#include <QToolButton>
#include <mutex>

#include "nmea/NmeaManager.h"
#include "views/MessageBox.h"

const char* const SirfSettingShortcut = "Ctrl+Shift+N";
const char* const SirfSettingMenuText = "SiRF Output Interval...";
const char* const CaptureOpenFailedCaption = "Log";
const char* const CaptureWriteFailedCaption = "Log";

namespace {
constexpr char LogCaption[] = "Log";
constexpr char StopLogCaption[] = "Stop Log";
constexpr char SettingCaption[] = "NMEA Setting";
constexpr char CaptureFilter[] = "Captured NMEA Files (*.txt)";
constexpr char CaptureExtension[] = ".txt";
constexpr char CaptureExtensionUpper[] = ".TXT";

QString RunSaveDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QToolButton* MakeButton(QWidget* parent, const char* caption, int top) {
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(0, top, TFUtilButton::ButtonWidth, TFUtilButton::ButtonHeight);
    return button;
}

void BringUp(QWidget* window) {
    if (!window) return;
    window->show();
    window->raise();
    window->activateWindow();
}
}  // namespace

TFUtilButton::TFUtilButton(QWidget* parent, NMEA_Manager& store)
    : QFrame(parent), FStore(store), FRunSaveDialog(RunSaveDialog) {
    BuildWidgets();
}

QFileDialog& TFUtilButton::SaveDialog() {
    if (!saveDialog) {
        saveDialog = new QFileDialog(this);
        saveDialog->setAcceptMode(QFileDialog::AcceptSave);
        saveDialog->setFileMode(QFileDialog::AnyFile);
        saveDialog->setNameFilter(CaptureFilter);
        saveDialog->setOption(QFileDialog::DontConfirmOverwrite, false);
        saveDialog->setDefaultSuffix(QString());
        if (!FCaptureFolder.isEmpty()) saveDialog->setDirectory(FCaptureFolder);
    }
    return *saveDialog;
}

QString TFUtilButton::CaptureFolder() const {
    return FCaptureFolder;
}

void TFUtilButton::SetCaptureFolder(const QString& folder) {
    FCaptureFolder = folder;
    if (saveDialog) saveDialog->setDirectory(folder);
}

void TFUtilButton::BuildWidgets() {
    logButton = MakeButton(this, LogCaption, 0);
    settingButton = MakeButton(this, SettingCaption, ButtonHeight);
    connect(logButton, &QToolButton::clicked, this, [this] { LogClick(); });
    connect(settingButton, &QToolButton::clicked, this, [this] { SettingClick(); });
    settingButton->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* menu = new QMenu(this);
    menu->addAction(SirfSettingMenuText, this, [this] { SirfSettingClick(); });
    connect(settingButton, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint& at) { menu->popup(settingButton->mapToGlobal(at)); });
    auto* shortcut = new QShortcut(QKeySequence(SirfSettingShortcut), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] { SirfSettingClick(); });
}

QString TFUtilButton::CaptureFileName(const QString& chosen) {
    if (chosen.contains(CaptureExtension, Qt::CaseSensitive) ||
        chosen.contains(CaptureExtensionUpper, Qt::CaseSensitive))
        return chosen;
    return chosen + CaptureExtension;
}

void TFUtilButton::LogClick() {
    if (FLogging)
        StopLog();
    else
        StartLog();
}

void TFUtilButton::StartLog() {
    const QString chosen = FRunSaveDialog(SaveDialog());
    if (chosen.isEmpty()) return;
    const std::string name = CaptureFileName(chosen).toStdString();
    std::string reason;
    {
        std::lock_guard<std::mutex> lock(FStore.Lock());
        if (!FStore.Capture.Open(name)) reason = FStore.Capture.Error();
    }
    if (!reason.empty()) {
        // A capture that writes nothing must never look like one that runs.
        ShowMessage("Cannot create the capture file \"" + name + "\": " + reason,
                    CaptureOpenFailedCaption);
        return;
    }
    // The folder of the file written, however it was given (a typed path
    // may lead elsewhere than the folder the dialog shows).
    SetCaptureFolder(QFileInfo(QString::fromStdString(name)).absolutePath());
    SetLogging(true);
}

void TFUtilButton::StopLog() {
    {
        std::lock_guard<std::mutex> lock(FStore.Lock());
        FStore.Capture.Close();
    }
    SetLogging(false);
}

void TFUtilButton::CaptureFailed() {
    if (!FLogging) return;
    std::string path, reason;
    {
        std::lock_guard<std::mutex> lock(FStore.Lock());
        if (FStore.Capture.IsOpen()) return;  // a newer capture is running
        path = FStore.Capture.Path();
        reason = FStore.Capture.Error();
    }
    SetLogging(false);
    ShowMessage("Capture stopped: writing to \"" + path + "\" failed: " + reason,
                CaptureWriteFailedCaption);
}

void TFUtilButton::SettingClick() {
    BringUp(FUbloxSetting);
}

void TFUtilButton::SetSendingAllowed(bool allowed, const std::string& why) {
    settingButton->setEnabled(allowed);
    settingButton->setToolTip(allowed ? QString() : QString::fromStdString(why));
}

void TFUtilButton::SirfSettingClick() {
    if (!settingButton->isEnabled()) return;  // the shortcut follows the button
    BringUp(FSirfSetting);
}

void TFUtilButton::SetLogging(bool logging) {
    FLogging = logging;
    logButton->setText(logging ? StopLogCaption : LogCaption);
}
