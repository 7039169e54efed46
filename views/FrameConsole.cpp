#include "views/FrameConsole.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>

#include "link/CommandText.h"
#include "views/Config.h"
#include "views/MessageBox.h"

namespace {

constexpr int ConsoleFontSize = 8;
const char* const CommandPrefix = "$PSRF";
const char* const PausedText = "paused";
constexpr int PausedCheckMs = 200;
constexpr int PausedTagMargin = 2;

std::string NotShownLine(uint64_t count) {
    return "*** " + std::to_string(count) + " lines not shown";
}

}  // namespace

TFConsole::TFConsole(QWidget* parent, GPSConfig& config) : QFrame(parent), FConfig(config) {
    resize(Config.ConsoleWidth, Config.ConsoleHeight);
    BuildWidgets();
}

void TFConsole::BuildWidgets() {
    consoleMemo = new QPlainTextEdit(this);
    consoleMemo->clear();
    QPalette palette = consoleMemo->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Qt::white);
    consoleMemo->setPalette(palette);
    QFont font = consoleMemo->font();
    font.setPointSize(ConsoleFontSize);
    consoleMemo->setFont(font);
    consoleMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    consoleMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    consoleMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    consoleMemo->installEventFilter(this);
    consoleMemo->viewport()->installEventFilter(this);
    pausedTag = new QLabel(PausedText, this);
    pausedTag->setStyleSheet("QLabel { color: black; background: yellow; padding: 0 3px; }");
    pausedTag->setAttribute(Qt::WA_TransparentForMouseEvents);
    pausedTag->adjustSize();
    pausedTag->hide();
    PlaceMemo();
    auto* pausedCheck = new QTimer(this);
    connect(pausedCheck, &QTimer::timeout, this, [this] { ShowPaused(); });
    pausedCheck->start(PausedCheckMs);
}

void TFConsole::PlaceMemo() {
    consoleMemo->setGeometry(rect());
    const int scrollBar = consoleMemo->verticalScrollBar()->sizeHint().width();
    pausedTag->move(width() - scrollBar - pausedTag->width() - PausedTagMargin, PausedTagMargin);
}

void TFConsole::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PlaceMemo();
}

void TFConsole::ShowPaused() {
    pausedTag->setVisible(FConfig.DisplayPaused);
}

int TFConsole::LineCount() const {
    return consoleMemo->document()->blockCount();
}

void TFConsole::AppendSentence(const std::string& text) {
    if (LineCount() >= LineLimit) consoleMemo->clear();
    if (FConfig.DisplayPaused) return;
    std::string line = text;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    consoleMemo->appendPlainText(QString::fromStdString(line));
    QTextCursor caret = consoleMemo->textCursor();
    caret.movePosition(QTextCursor::End);
    consoleMemo->setTextCursor(caret);
    consoleMemo->insertPlainText(" ");
    consoleMemo->horizontalScrollBar()->setValue(0);
}

// The memo clears itself whenever an append finds it full, so of a batch
// only the lines after the last such clear remain: those are appended at once.
void TFConsole::AppendSentences(const std::vector<std::string>& texts, uint64_t notShown) {
    if (notShown != 0 && !FConfig.DisplayPaused) {
        consoleMemo->clear();
        std::vector<std::string> marked;
        marked.reserve(texts.size() + 1);
        marked.push_back(NotShownLine(notShown));
        marked.insert(marked.end(), texts.begin(), texts.end());
        AppendSentences(marked, 0);
        return;
    }
    if (texts.empty()) return;
    int held = consoleMemo->document()->isEmpty() ? 0 : LineCount();
    if (FConfig.DisplayPaused) {  // nothing is added, so at most one clear
        if (held >= LineLimit) consoleMemo->clear();
        return;
    }
    bool cleared = false;
    size_t first = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (held >= LineLimit) {
            cleared = true;
            first = i;
            held = 0;
        }
        ++held;
    }
    if (cleared) consoleMemo->clear();
    AppendLines(texts, first);
}

void TFConsole::AppendLines(const std::vector<std::string>& texts, size_t first) {
    QString block;
    for (size_t i = first; i < texts.size(); ++i) {
        std::string_view line = texts[i];
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
        if (i != first) block += QStringLiteral(" \n");
        block += QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    consoleMemo->appendPlainText(block);
    QTextCursor caret = consoleMemo->textCursor();
    caret.movePosition(QTextCursor::End);
    consoleMemo->setTextCursor(caret);
    consoleMemo->insertPlainText(" ");
    consoleMemo->horizontalScrollBar()->setValue(0);
}

void TFConsole::TogglePaused() {
    FConfig.DisplayPaused = !FConfig.DisplayPaused;
    ShowPaused();
}

void TFConsole::ConsoleClick() {
    if (FConfig.IsPortOpen()) TogglePaused();
}

void TFConsole::SetSendingAllowed(bool allowed, const std::string& why) {
    FSendingAllowed = allowed;
    consoleMemo->setToolTip(allowed ? QString() : QString::fromStdString(why));
}

void TFConsole::ConsoleDblClick() {
    if (!FConfig.IsPortOpen() || !FSendingAllowed) return;
    FCommandMode = true;
    consoleMemo->clear();
    consoleMemo->insertPlainText(CommandPrefix);
    consoleMemo->setFocus();
}

std::string TFConsole::MemoCommand() const {
    return consoleMemo->toPlainText().remove('\n').toStdString();
}

void TFConsole::LeaveCommandLine() {
    consoleMemo->clear();
    FCommandMode = false;
    FConfig.DisplayPaused = false;
    ShowPaused();
}

bool TFConsole::ConsoleKeyPress(int key) {
    if (key == EscapeKey && FCommandMode) {
        LeaveCommandLine();
        return true;
    }
    if (key != EnterKey || !FCommandMode || !FConfig.DisplayPaused) return false;
    const std::string command = MemoCommand();
    if (command.size() > CommandLimit) {
        ShowMessage("Command too long: " + std::to_string(command.size()) +
                        " characters, at most " + std::to_string(CommandLimit) +
                        ". Nothing was sent.",
                    "warning");
        LeaveCommandLine();
        return true;
    }
    // The command sender completes the text the same way: the echo shows
    // what goes out, less its line end.
    const CommandWireText wire = CompleteCommandText(command);
    if (!wire.Ok) {
        ShowMessage(wire.Refusal, CommandRefusedCaption);
        LeaveCommandLine();
        return true;
    }
    if (FSendCommand) FSendCommand({command}, FConfig.Port());
    LeaveCommandLine();
    AppendSentence(EchoPrefix + std::string(WithoutLineEnd(wire.Text)));
    return true;
}

bool TFConsole::eventFilter(QObject* watched, QEvent* event) {
    if (watched == consoleMemo && event->type() == QEvent::KeyPress) {
        // A key the command line took is not typed into the memo as well.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return ConsoleKeyPress(EnterKey);
        if (key == Qt::Key_Escape) return ConsoleKeyPress(EscapeKey);
        return false;
    }
    if (watched != consoleMemo->viewport()) return false;
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        FSkipRelease = true;
        const bool handled = FConfig.IsPortOpen();
        ConsoleDblClick();
        return handled;  // no word selection over the fresh prefix
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (FSkipRelease)
            FSkipRelease = false;
        else
            ConsoleClick();
    }
    return false;
}
