#include "control/FormNmeaChoice.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "link/Connection.h"
#include "views/MessageBox.h"

namespace {
constexpr int RowHeight = 20;
constexpr int ColumnWidth = 45;
constexpr int NameLeft = 60;
constexpr int EditLeft = 90;
constexpr int HeaderGap = 6;  // between the two headers, and after the second
constexpr int MaxInterval = 255;
constexpr const char* RowNames[TFNmeaChoice::RowCount] = {"GGA", "GLL", "GSA", "GSV",
                                                          "RMC", "VTG", "MSS", "ZDA"};
// SiRF message numbers of the rows' sentences.
constexpr int SirfMessageIds[TFNmeaChoice::RowCount] = {0, 1, 2, 3, 4, 5, 6, 8};
constexpr int GsvRow = 3;
constexpr char GsvDefault[] = "5";
constexpr char RowDefault[] = "1";
constexpr char RangeText[] = "output rate must be in 0~255";
constexpr char RangeCaption[] = "warning";
constexpr char NotConnectedText[] = "no GPS device connected";
constexpr char MessageHeader[] = "NMEA Message";
constexpr char IntervalHeader[] = "Output interval (0~255 s)";
constexpr char Title[] = "NMEA Setting \u2014 SiRF";
constexpr char NotConnectedCaption[] = "error";
}  // namespace

TFNmeaChoice::TFNmeaChoice(QWidget* parent) : QFrame(parent) {
    BuildWidgets();
}

void TFNmeaChoice::BuildWidgets() {
    // The interval header starts above the edits unless the message header
    // reaches there; the panel widens to hold it whole in any font.
    headerLabels[0] = new QLabel(MessageHeader, this);
    headerLabels[1] = new QLabel(IntervalHeader, this);
    const int messageWidth = headerLabels[0]->sizeHint().width();
    const int intervalLeft = std::max(EditLeft, messageWidth + HeaderGap);
    const int intervalWidth = headerLabels[1]->sizeHint().width();
    headerLabels[0]->setGeometry(0, 0, messageWidth, RowHeight);
    headerLabels[1]->setGeometry(intervalLeft, 0, intervalWidth, RowHeight);
    const int width = std::max(MinWidth, intervalLeft + intervalWidth + HeaderGap);
    resize(width, Height);
    for (int i = 0; i < RowCount; ++i) {
        const int top = RowHeight * (i + 1);
        msgLabels[i] = new QLabel(RowNames[i], this);
        msgLabels[i]->setGeometry(NameLeft, top, ColumnWidth, RowHeight);
        intervalEdits[i] = new QLineEdit(i == GsvRow ? GsvDefault : RowDefault, this);
        intervalEdits[i]->setGeometry(EditLeft, top, ColumnWidth, RowHeight);
        intervalEdits[i]->installEventFilter(this);
    }
    okButton = new QToolButton(this);
    okButton->setText("OK");
    okButton->setFocusPolicy(Qt::NoFocus);
    okButton->setGeometry(0, 185, width, 30);
    okButton->raise();
    connect(okButton, &QToolButton::clicked, this, [this] { ApplyOutputRate(); });
    NoteShownIntervals();
}

void TFNmeaChoice::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    NoteShownIntervals();
}

void TFNmeaChoice::NoteShownIntervals() {
    for (int i = 0; i < RowCount; ++i) FShown[i] = Interval(i);
}

int TFNmeaChoice::Interval(int row) const {
    bool number = false;
    const int interval = intervalEdits[row]->text().toInt(&number, 10);
    return number && interval >= 0 && interval <= MaxInterval ? interval : -1;
}

bool TFNmeaChoice::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusOut && !FWarning) IntervalExit(edit);
    if (edit && event->type() == QEvent::KeyPress)
        IntervalKeyPress(edit, static_cast<QKeyEvent*>(event)->key());
    return QFrame::eventFilter(watched, event);
}

void TFNmeaChoice::Warn(QLineEdit* edit) {
    FWarning = true;
    edit->setFocus();
    ShowMessage(RangeText, RangeCaption);
    FWarning = false;
}

void TFNmeaChoice::IntervalExit(QLineEdit* edit) {
    const QString text = edit->text();
    if (text.isEmpty()) {
        Warn(edit);
        edit->setText(RowDefault);
        return;
    }
    // A text that is not a number gets the same warning; it stays as typed.
    bool number = false;
    const int interval = text.toInt(&number, 10);
    if (!number || interval < 0 || interval > MaxInterval) Warn(edit);
}

void TFNmeaChoice::IntervalKeyPress(QLineEdit*, int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) ApplyOutputRate();
}

std::string TFNmeaChoice::RateSentence(int row, int interval) {
    // The message number, mode 00 (set rate), the rate, checksum flag 01; a
    // "0" before each number, as the receiver's own examples write them.
    return "$PSRF103,0" + std::to_string(SirfMessageIds[row]) + ",00,0" + std::to_string(interval) +
           ",01*";
}

std::vector<std::string> TFNmeaChoice::ChangedRateSentences() const {
    std::vector<std::string> sentences;
    for (int i = 0; i < RowCount; ++i) {
        const int interval = Interval(i);
        if (interval != FShown[i]) sentences.push_back(RateSentence(i, interval));
    }
    return sentences;
}

void TFNmeaChoice::ApplyOutputRate() {
    // Every row is checked before anything goes out; the window stays open
    // on the first bad one.
    for (int i = 0; i < RowCount; ++i) {
        if (Interval(i) >= 0) continue;
        Warn(intervalEdits[i]);
        return;
    }
    const std::vector<std::string> sentences = ChangedRateSentences();
    // Nothing goes out while the port is closed; the user hears why.
    if (!FLink || !FLink->CanSend()) {
        ShowMessage(NotConnectedText, NotConnectedCaption);
    } else if (!sentences.empty()) {
        FLink->Send(sentences);
        NoteShownIntervals();
    }
    window()->hide();
}

TFmNmeaChoice::TFmNmeaChoice(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinimizeButtonHint) {
    setWindowTitle(Title);
    move(869, 221);
    FPanel = new TFNmeaChoice(this);
    FPanel->move(0, 0);
    setFixedSize(FPanel->size());
}

void TFmNmeaChoice::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
