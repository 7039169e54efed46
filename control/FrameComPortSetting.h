// The port settings panel: the port list, the baud rate, the detection mode
// and one Open/Close button. It asks the connection to open and close and
// shows its state: the button reads "Open" while Idle or Failed (a click
// starts a new attempt) and "Close" while Detecting, Connected or LinkDown (a
// click ends the attempt). Every 2 s it watches for ports that come and go: a
// port added while no attempt runs is taken at once.
//
// The port list is editable: a device path or a link URL typed into it is
// checked when Open is pressed (a malformed URL is refused with a message
// naming what is wrong) and then listed with the ports. A receive-only link
// turns the sending controls off while it is open.
#pragma once

#include <QFrame>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/PortEnumeration.h"
#include "link/Connection.h"

class QComboBox;
class QTimer;
class QToolButton;
struct GPSConfig;
struct NMEA_Manager;

class TFComPortSetting : public QFrame, public ConnectionObserver {
    Q_OBJECT

  public:
    static constexpr int WatchIntervalMs = 2000;

    // What the panel does to the rest of the window; each may be empty.
    struct Hooks {
        std::function<void()> RefreshStatus;  // the status bar
        std::function<void()> StartFixTimer;  // the position panel's time-to-fix counter
        std::function<void()> StopFixTimer;
        std::function<void(const std::string&)> ConsoleLine;  // a line in the console
        std::function<void()> StopCapture;                    // the tool buttons' "Stop Log"
        // Whether the controls that send may be used, and why not.
        std::function<void(bool allowed, const std::string& why)> SendingAllowed;
    };

    // Drives `link`, whose observer it becomes; `config` receives the
    // selection, `store` tells whether a capture runs (may be null).
    TFComPortSetting(QWidget* parent, Connection& link, GPSConfig& config, NMEA_Manager* store,
                     Hooks hooks);
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
    // Selects a port or link kept from the last run: a listed entry; a
    // device path that exists now (a pseudo-terminal, say), listed as a typed
    // one would be; a link URL, typed into the list. False when it is none.
    bool SelectKeptEntry(const std::string& entry);
    // Selects a rate of the baud list; false when it is not listed.
    bool SelectBaudRate(int32_t rate);
    // Ends the connection and waits for its threads (program exit).
    void Shutdown();

    bool ConnectionStarted() const { return FLink.Started(); }
    // Counts connection attempts; the detection threads' changes belong to one.
    unsigned Attempt() const { return FLink.Attempt(); }
    Connection& Link() const { return FLink; }
    // The Prolific adapter as the panel found it.
    const ProlificPort& Prolific() const { return FProlific; }
    void FocusPortList();

    // ConnectionObserver: the caption follows the state; the link going
    // down is shown and the user told once.
    void StateChanged(LinkState state) override;

    // DetectTarget: the detection thread's changes, on the user-interface thread.
    void SelectPort(int index) override;
    void SelectBaud(int index) override;
    void SetButtonCaption(const std::string& caption) override;
    void EnableWatchTimer() override;
    void ClearProlificFound() override;
    void RefreshStatus() override;
    void StopFixTimer() override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void Note(const std::string& line) override;

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
    DetectLists CurrentLists() const;
    void LinkLost();
    // Checks and lists an entry the user typed; false (and told why) when
    // it is a malformed URL.
    bool TakeTypedEntry();
    void AnnounceSending(const std::string& entry);

    Connection& FLink;
    GPSConfig& FConfig;
    NMEA_Manager* const FStore;
    const Hooks FHooks;
    ProlificPort FProlific;
};

extern const char* const BaudRateTexts[BaudRateCount];
