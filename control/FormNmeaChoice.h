// The SiRF output-interval window: one row per NMEA sentence with its output
// interval in seconds; OK (or Enter in a row) checks every row, then sends one
// $PSRF103 rate control sentence for each row changed since the window was
// shown. The window is as wide as its header row needs (220 px at least).
#pragma once

#include <QFrame>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

class Connection;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QToolButton;

class TFNmeaChoice : public QFrame {
    Q_OBJECT

  public:
    static constexpr int RowCount = 8;
    static constexpr int GllRow = 1;
    static constexpr int MinWidth = 220;
    static constexpr int Height = 250;

    explicit TFNmeaChoice(QWidget* parent);

    void ApplyOutputRate();
    void IntervalExit(QLineEdit* edit);
    void IntervalKeyPress(QLineEdit* edit, int key);
    // The connection OK sends on (none: it is never connected).
    void SetLink(Connection* link) { FLink = link; }
    // The sentence that sets row `row`'s sentence to `interval` seconds.
    static std::string RateSentence(int row, int interval);
    // The sentences OK sends: one per row whose interval differs from the
    // one shown when the window opened. Every row must hold a good interval.
    std::vector<std::string> ChangedRateSentences() const;

    std::array<QLabel*, 2> headerLabels{};
    std::array<QLabel*, RowCount> msgLabels{};
    std::array<QLineEdit*, RowCount> intervalEdits{};
    QToolButton* okButton = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildWidgets();
    void Warn(QLineEdit* edit);
    // The row's interval, or -1 when its text is not one.
    int Interval(int row) const;
    void NoteShownIntervals();

    std::array<int, RowCount> FShown{};  // the intervals when the window was shown

    bool FWarning = false;  // a warning is up: focus changes it causes are not checks
    Connection* FLink = nullptr;
};

class TFmNmeaChoice : public QWidget {
    Q_OBJECT

  public:
    explicit TFmNmeaChoice(QWidget* parent = nullptr);
    TFNmeaChoice* Panel() const { return FPanel; }
    void SetLink(Connection* link) { FPanel->SetLink(link); }

  protected:
    // Escape closes the window, as it closes a dialog.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    TFNmeaChoice* FPanel;
};
