// The main window: a client area of 420 x 498 or more tiled by nine panels
// (shell/WindowLayout.h) over the monitor it is given (the store, the
// configuration, the port and the connection). It listens to each reader
// the connection starts (ReaderEvents) and owns the two setting windows.
#pragma once

#include <QFont>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/ReaderEvents.h"
#include "shell/WindowLayout.h"
#include "views/LayoutHost.h"

class TFSViewer;
class TFRestartButton;
class TFSnrViewer;
class TFUtilButton;
class TFGPSInfo;
class TFComPortSetting;
class TPlayerBar;
class TFLumarokStatus;
class TFConsole;
class TFAbout;
class TFmNmeaChoice;
class TFmNmeaChoice_ub;
class Monitor;
class TNmeaFetch;
class TDataFreshness;
class TDisplayPacer;
class Connection;
class QApplication;
class UbxAnswerWatch;
struct UbxAckRecord;

// The monitor's default font: the platform's sans-serif at 8 points.
QFont MonitorFont();

class EpochRecorder;
class TEvaluationWindow;
class TCorrectionsWindow;
class TConfigurationWindow;

class TMainForm : public QWidget, public TLayoutHost, public ReaderEvents {
    Q_OBJECT
  public:
    static constexpr const char* Title = "LumarokUb";

    explicit TMainForm(Monitor& monitor, QWidget* parent = nullptr);
    ~TMainForm() override;

    Monitor& Parts() const { return FMonitor; }

    // True when construction failed ("Initial Object error" was shown and the
    // window closes itself).
    bool InitFailed() const { return FInitFailed; }

    // ReaderEvents, on the GUI thread.
    // Refreshes the position panel, the signal chart and the sky view, in
    // that order. Each view reads the store under its lock, so the reader
    // goes on reading meanwhile.
    void RefreshViews() override;
    // Runs a hand-off of the reader's console lines and refresh requests,
    // at most once a display frame.
    void PaceDisplay(std::function<void()> handOff) override;
    void ConsoleLines(const std::vector<std::string>& lines, uint64_t notShown) override;
    // The receiver's answer to a UBX frame.
    void UbxAnswered(const UbxAckRecord& answer) override;
    void ReceiverIdentified(const std::string& identity) override;
    // The receiver's settings, for the u-blox window that polled them.
    void SettingRead(const UbxSettingAnswer& answer) override;
    void KeysRead(const UbxKeyValuesRecord& answer) override;
    // A capture write failed: the tool buttons stop the capture and say so.
    void CaptureFailed() override;

    // A reader for a connection attempt: created suspended (it runs once
    // the detection thread resumes it), reading the monitor's port into its
    // store and telling this window its events; it frees itself when it
    // ends (unless told otherwise). Not started.
    TNmeaFetch* MakeNmeaFetch(bool freeOnTerminate = true);
    // Makes the two NMEA setting windows, hidden until their buttons show
    // them. They are top-level windows that never keep the program alive on
    // their own.
    void CreateSettingWindows();
    // Runs after each refresh (tests observe the views then).
    void SetRefreshWatch(std::function<void()> watch) { FRefreshWatch = std::move(watch); }

    void FormShow();
    // Decodes a recorded capture into the store and shows it: its last
    // sentences in the console, the views refreshed and, as a capture is no
    // live link, not marked old. False when the file cannot be read.
    bool ShowCapture(const std::string& path);
    // Whether the views are marked as showing old data.
    bool ViewsStale() const;
    // The connection to the receiver: the port panel opens and closes it,
    // the console and the setting windows send commands through it.
    Connection& Link() const { return FLink; }
    // Every epoch of the connection (under the store lock).
    EpochRecorder& Recording() const { return *FRecording; }
    // The evaluation window (made on first use), on its campaign page or as
    // it was left. Ctrl+E and Ctrl+T, and the restart panel's context menu.
    TEvaluationWindow& ShowEvaluation(bool campaign);
    // The evaluation window, made (hidden) when it does not exist yet.
    TEvaluationWindow& Evaluation();
    // The corrections window (NTRIP), made hidden on first use; Ctrl+Shift+R
    // and the restart panel's context menu show it.
    TCorrectionsWindow& Corrections();
    // The configuration window of receivers configured by keys, made hidden
    // on first use; Ctrl+Shift+K and the restart panel's context menu show it.
    TConfigurationWindow& Configuration();
    // The player bar, shown while a capture plays on the port.
    TPlayerBar* PlayerBar() const { return FPlayerBar; }

    // TLayoutHost
    void SetCompactLayout(bool compact) override;
    bool CompactLayout() const { return FCompact; }

    // The window's place and size as kept between runs: the top-left corner
    // of its frame and the client size of the full layout (also while compact).
    QRect KeptGeometry() const;
    // Puts the window where it was kept, moved and shrunk onto the available
    // area of the screen it was on (or the primary screen); it is then not
    // centred when first shown.
    void RestoreGeometry(const QRect& kept);

    // The panels (null until built) and the setting windows (null until made).
    TFSViewer* FSViewer = nullptr;
    TFRestartButton* FRestartButton = nullptr;
    TFSnrViewer* FSnrViewer = nullptr;
    TFUtilButton* FUtilButton = nullptr;
    TFGPSInfo* FGPSInfo = nullptr;
    TFComPortSetting* FComPortSetting = nullptr;
    TFLumarokStatus* FLumarokStatus = nullptr;
    TFConsole* FConsole = nullptr;
    TFAbout* FAbout = nullptr;
    std::unique_ptr<TFmNmeaChoice> FmNmeaChoice;
    std::unique_ptr<TFmNmeaChoice_ub> FmNmeaChoice_ub;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildWidgets();
    void BuildEvaluationEntries();
    void WatchFreshness();
    void PlacePanels(const WindowLayout& layout);
    void CentreOnScreen();
    void WatchUbxAnswers();

    Monitor& FMonitor;
    Connection& FLink;
    ReaderEventsGate FEventsGate;
    bool FInitFailed = false;
    bool FCentred = false;
    bool FCompact = false;
    QSize FFullSize;              // the full layout's size while compact
    QWidget* FSkyWell = nullptr;  // black behind the sky view's square
    std::unique_ptr<EpochRecorder> FRecording;
    std::unique_ptr<TEvaluationWindow> FEvaluation;
    std::unique_ptr<TCorrectionsWindow> FCorrections;
    std::unique_ptr<TConfigurationWindow> FConfiguration;
    std::unique_ptr<UbxAnswerWatch> FAnswers;
    TDataFreshness* FFreshness = nullptr;
    TDisplayPacer* FPacer = nullptr;
    TPlayerBar* FPlayerBar = nullptr;
    std::function<void()> FRefreshWatch;
};

// Runs the event loop until the main window closes (whatever setting window
// is open), then ends the connection and closes the port. Returns the
// loop's exit status.
int RunMonitor(QApplication& app, TMainForm& window);
