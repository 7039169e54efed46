// The tool buttons: "Log" starts and stops capturing the received sentences
// into a text file, "NMEA Setting" opens the u-blox message and rate dialog;
// its context menu and Ctrl+Shift+N open the SiRF output-interval window.
#pragma once

#include <QFrame>
#include <QString>
#include <functional>
#include <string>

class QFileDialog;
struct NMEA_Manager;
class QToolButton;

class TFUtilButton : public QFrame {
    Q_OBJECT

  public:
    // Runs the save dialog; returns the chosen name, empty when cancelled.
    using SaveDialogRunner = std::function<QString(QFileDialog&)>;

    static constexpr int ButtonWidth = 105;
    static constexpr int ButtonHeight = 35;

    // Captures the sentences of `store`.
    TFUtilButton(QWidget* parent, NMEA_Manager& store);
    // The windows "NMEA Setting" and the SiRF entry bring up (either may be null).
    void SetSettingWindows(QWidget* ublox, QWidget* sirf) {
        FUbloxSetting = ublox;
        FSirfSetting = sirf;
    }

    void LogClick();
    void StartLog();
    void StopLog();
    void SettingClick();
    void SirfSettingClick();
    // A receive-only link: NMEA Setting is disabled, its tooltip says why.
    void SetSendingAllowed(bool allowed, const std::string& why);
    // The reader found the capture file failing and closed it: the capture
    // stops and the user hears why, once.
    void CaptureFailed();

    // The ".txt" rule: a name holding neither ".txt" nor ".TXT" gets ".txt".
    static QString CaptureFileName(const QString& chosen);

    bool Logging() const { return FLogging; }
    void SetSaveDialogRunner(SaveDialogRunner runner) { FRunSaveDialog = std::move(runner); }
    // The capture's save dialog, made on first use: a file dialog watches the
    // file system from a thread of its own, which a monitor that never
    // captures does not need.
    QFileDialog& SaveDialog();
    // The folder the save dialog opens in: that of the last capture file
    // opened (or the one kept from the last run).
    QString CaptureFolder() const;
    void SetCaptureFolder(const QString& folder);

    QFileDialog* saveDialog = nullptr;
    QToolButton* logButton = nullptr;
    QToolButton* settingButton = nullptr;

  private:
    void BuildWidgets();
    void SetLogging(bool logging);

    NMEA_Manager& FStore;
    QWidget* FUbloxSetting = nullptr;
    QWidget* FSirfSetting = nullptr;
    bool FLogging = false;
    SaveDialogRunner FRunSaveDialog;
    QString FCaptureFolder;
};

extern const char* const SirfSettingShortcut;
extern const char* const SirfSettingMenuText;
extern const char* const CaptureOpenFailedCaption;
extern const char* const CaptureWriteFailedCaption;
