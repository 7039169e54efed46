// The main window: a client area of 420 x 498 or more tiled by nine panels
// (shell/WindowLayout.h), the shared configuration record, the receiver-state
// store and the view refresh hook the reader thread calls.
#pragma once

#include <QFont>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
class TNmeaFetch;
class TDataFreshness;
class TDisplayPacer;
class YThread;
class Connection;
class QApplication;
class UbxAnswerWatch;
struct UbxAckRecord;

// The monitor's default font: the platform's sans-serif at 8 points.
QFont MonitorFont();

class EpochRecorder;
class TEvaluationWindow;
class TCorrectionsWindow;

class TMainForm : public QWidget, public TLayoutHost {
    Q_OBJECT
  public:
    static constexpr const char* Title = "LumarokUb";

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // True when construction failed ("Initial Object error" was shown and the
    // window closes itself).
    bool InitFailed() const { return FInitFailed; }

    // Refreshes the position panel, the signal chart and the sky view, in
    // that order, with the reader thread held suspended while it runs (a
    // reader not yet released is left as it is). GUI thread only.
    void RefreshViews(YThread* reader);
    // Runs a hand-off of the reader's console lines and refresh requests,
    // at most once a display frame.
    void PaceDisplay(std::function<void()> handOff);
    // Replaces how the refresh holds the reader (tests observe the order).
    void SetReaderHold(std::function<void()> suspend, std::function<void()> resume);

    void FormShow();
    // Decodes a recorded capture into the store and shows it: its last
    // sentences in the console, the views refreshed and, as a capture is no
    // live link, not marked old. False when the file cannot be read.
    bool ShowCapture(const std::string& path);
    // Whether the views are marked as showing old data.
    bool ViewsStale() const;
    // The connection to the receiver: the port panel opens and closes it,
    // the console and the setting windows send commands through it.
    Connection& Link() const { return *FLink; }
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
    // The player bar, shown while a capture plays on the port.
    TPlayerBar* PlayerBar() const { return FPlayerBar; }
    // The receiver's answer to a UBX frame (from the reader, on the GUI thread).
    void UbxAnswered(const UbxAckRecord& answer);

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

    bool FInitFailed = false;
    bool FCentred = false;
    bool FCompact = false;
    QSize FFullSize;              // the full layout's size while compact
    QWidget* FSkyWell = nullptr;  // black behind the sky view's square
    std::unique_ptr<Connection> FLink;
    std::unique_ptr<EpochRecorder> FRecording;
    std::unique_ptr<TEvaluationWindow> FEvaluation;
    std::unique_ptr<TCorrectionsWindow> FCorrections;
    std::unique_ptr<UbxAnswerWatch> FAnswers;
    TDataFreshness* FFreshness = nullptr;
    TDisplayPacer* FPacer = nullptr;
    TPlayerBar* FPlayerBar = nullptr;
    std::function<void()> FSuspendReader;
    std::function<void()> FResumeReader;
};

// The process-wide main window and its panels (null when there is no window).
extern TMainForm* MainForm;
extern TFSViewer* FSViewer;
extern TFRestartButton* FRestartButton;
extern TFSnrViewer* FSnrViewer;
extern TFUtilButton* FUtilButton;
extern TFGPSInfo* FGPSInfo;
extern TFComPortSetting* FComPortSetting;
extern TFLumarokStatus* FLumarokStatus;
extern TFConsole* FConsole;
extern TFAbout* FAbout;

// The view refresh with the current reader NmeaFetch held.
void RefreshViews();

// A reader thread for a connection attempt: created suspended (it runs once
// the detection thread resumes it), reading ComPort into the store, handing
// the sentences to the console and asking for RefreshViews at the display's
// pace, freeing itself when it ends (unless told otherwise). Not started.
TNmeaFetch* MakeNmeaFetch(bool freeOnTerminate = true);
// The same, kept in NmeaFetch and started, so Resume releases it.
TNmeaFetch* CreateNmeaFetch(bool freeOnTerminate = true);

// Makes the two NMEA setting windows, hidden until their buttons show them.
// They are top-level windows that never keep the program alive on their own.
void CreateSettingWindows(Connection& link);
// Runs the event loop until the main window closes (whatever setting window
// is open), then ends the connection and closes the port. Returns the
// loop's exit status.
int RunMonitor(QApplication& app, TMainForm& window);
