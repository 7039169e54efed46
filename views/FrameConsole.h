// The console: raw sentences scrolling white on black, and a command line.
// While the link is open a click pauses or resumes the output and a
// double-click starts a "$PSRF" command that Enter sends to the receiver
// (echoed once as "> command", as completed for the wire: an NMEA text with
// its checksum) and Escape abandons. A typed checksum that is wrong refuses
// the command with a message. A "paused" tag in the
// top right corner shows while the output is held.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/Command.h"
#include "link/GpsConfig.h"

class TFConsole : public QFrame {
    Q_OBJECT
  public:
    // Hands a command list to a command sender for the given source.
    using CommandSender =
        std::function<void(const std::vector<std::string>& commands, const Source& port)>;

    static constexpr int LineLimit = 350;
    // The command sender's limit: characters typed, before the checksum and line end.
    static constexpr size_t CommandLimit = CommandTextLimit;
    static constexpr int EnterKey = 13;
    static constexpr int EscapeKey = 27;
    static constexpr const char* EchoPrefix = "> ";

    TFConsole(QWidget* parent, GPSConfig& config);

    void SetCommandSender(CommandSender sender) { FSendCommand = std::move(sender); }
    void AppendSentence(const std::string& text);
    // Appends sentences as AppendSentence would one by one, in one edit of
    // the memo (only the lines the line limit would keep). When `notShown`
    // older sentences could not be handed over, the console starts over
    // with a line saying so, then the sentences.
    void AppendSentences(const std::vector<std::string>& texts, uint64_t notShown);
    void ConsoleClick();
    void ConsoleDblClick();
    // True when the key was taken (the memo must not handle it too).
    bool ConsoleKeyPress(int key);

    // A receive-only link takes no commands: the command line does not
    // start, and the console's tooltip says why.
    void SetSendingAllowed(bool allowed, const std::string& why);
    bool CommandMode() const { return FCommandMode; }
    int LineCount() const;

    QPlainTextEdit* consoleMemo;
    QLabel* pausedTag;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildWidgets();
    // The memo fills the console, the paused tag in its top right corner.
    void PlaceMemo();
    void TogglePaused();
    // Follows the paused flag, which the layout and the link change too.
    void ShowPaused();
    // Ends command entry without sending: the memo empties, output runs.
    void LeaveCommandLine();
    std::string MemoCommand() const;
    void AppendLines(const std::vector<std::string>& texts, size_t first);

    GPSConfig& FConfig;
    CommandSender FSendCommand;
    bool FCommandMode = false;
    bool FSendingAllowed = true;
    bool FSkipRelease = false;  // the release that ends a double-click
};
