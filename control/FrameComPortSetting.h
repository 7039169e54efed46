// The port settings panel: the port list, the baud rate, the detection mode
// and one Open/Close button. It starts the detection thread and the reader of
// a connection, closes them again, and watches every 2 s for ports that come
// and go: a port added while idle is taken at once.
//
// States: Idle ("Open", no connection started), Detecting ("Close", started,
// port not open), Connected ("Close", started, port open) and Failed (started,
// the detection thread ended without a port).
#pragma once

#include <QFrame>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/ThreadGpsDeviceDetect.h"

class QComboBox;
class TNmeaFetch;
class YComPort;
class QTimer;
class QToolButton;

class TFComPortSetting : public QFrame, public DetectTarget {
    Q_OBJECT

  public:
    static constexpr int WatchIntervalMs = 2000;

    // Makes the reader of a new attempt: created suspended and started, so
    // the detection thread's Resume releases it.
    using ReaderFactory = std::function<TNmeaFetch*()>;

    // What the panel does to the rest of the window; each may be empty.
    struct Hooks {
        std::function<void()> RefreshStatus;  // the status bar
        std::function<void()> StartFixTimer;  // the position panel's time-to-fix counter
        std::function<void()> StopFixTimer;
        std::function<void(const std::string&)> ConsoleLine;  // a line in the console
        std::function<void()> StopCapture;                    // the tool buttons' "Stop Log"
    };

    // Connects `port`, reading it through readers made by `makeReader`.
    TFComPortSetting(QWidget* parent, YComPort* port, ReaderFactory makeReader, Hooks hooks);
    ~TFComPortSetting() override;

    void ApplySelection();
    void PortButtonClick();
    void StartConnection();
    void CloseConnection();
    void RefreshPortList();
    void PortWatchTimer();
    void WatchPortList();

    // A port given at start-up (command line, demo receiver): selected and
    // connected in `mode` without a click, as a Prolific adapter would be.
    void ConnectAtStart(const std::string& path, int mode);
    // Selects a rate of the baud list; false when it is not listed.
    bool SelectBaudRate(int32_t rate);
    // The reader found the device gone: the link is shown down and the user
    // is told once; "Close" then "Open" reconnects.
    void LinkLost();
    // Ends any connection without waiting for the user-interface thread
    // (program exit): the detection thread, the reader and the port.
    void Shutdown();

    bool ConnectionStarted() const { return FConnectionStarted; }
    // Counts connection attempts; the detection threads' changes belong to one.
    unsigned Attempt() const { return FAttempt; }
    void FocusPortList();

    // DetectTarget: the detection thread's changes, on the user-interface thread.
    void SelectPort(int index) override;
    void SelectBaud(int index) override;
    void SetButtonCaption(const std::string& caption) override;
    void EnableWatchTimer() override;
    void ClearProlificFound() override;
    void RefreshStatus() override;
    void StopFixTimer() override;
    void ShowMessage(const std::string& text, const std::string& caption) override;

    QComboBox* portCombo = nullptr;
    QComboBox* baudCombo = nullptr;
    QComboBox* modeCombo = nullptr;
    QToolButton* portButton = nullptr;
    QTimer* watchTimer = nullptr;

  signals:
    // The link went down: closed by the user or lost with its device. The
    // port is marked closed by then.
    void LinkClosed();

  private:
    void BuildWidgets();
    void FillPortList();
    void SetPortItems(const std::vector<std::string>& list);
    // Refills the list from the ports present; when one was added and the
    // port is not open, selects it in "BR Detect" and presses the button if
    // `autoStart` allows. Returns true when it pressed.
    bool UpdatePortList(bool autoStartAllowed);
    void StopDetectThread();
    void StopReader();
    void StartCloseThread();
    void FinishCloseThread();
    DetectLists CurrentLists() const;

    YComPort* const FPort;
    const ReaderFactory FMakeReader;
    const Hooks FHooks;
    bool FConnectionStarted = false;
    bool FLinkLostShown = false;
    unsigned FAttempt = 0;
    std::unique_ptr<TGpsDeviceDetect> FCloseThread;
};

extern const char* const BaudRateTexts[BaudRateCount];
extern const char* const DetectModeTexts[4];
