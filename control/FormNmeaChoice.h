// The SiRF output-interval window: one row per NMEA sentence with its output
// interval in seconds; OK (or Enter in a row) sends the $PSRF103 rate control
// sentence for GLL.
#pragma once

#include <QFrame>
#include <QWidget>
#include <array>
#include <string>

class Connection;
class QLabel;
class QLineEdit;
class QToolButton;

class TFNmeaChoice : public QFrame {
    Q_OBJECT

  public:
    static constexpr int RowCount = 8;
    static constexpr int GllRow = 1;

    explicit TFNmeaChoice(QWidget* parent);

    void ApplyOutputRate();
    void IntervalExit(QLineEdit* edit);
    void IntervalKeyPress(QLineEdit* edit, int key);
    // The connection OK sends on (none: it is never connected).
    void SetLink(Connection* link) { FLink = link; }
    // The sentence OK sends for the GLL row's text.
    static std::string RateSentence(const QString& interval);

    std::array<QLabel*, 2> headerLabels{};
    std::array<QLabel*, RowCount> msgLabels{};
    std::array<QLineEdit*, RowCount> intervalEdits{};
    QToolButton* okButton = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildWidgets();
    void Warn(QLineEdit* edit);

    bool FWarning = false;  // a warning is up: focus changes it causes are not checks
    Connection* FLink = nullptr;
};

class TFmNmeaChoice : public QWidget {
    Q_OBJECT

  public:
    explicit TFmNmeaChoice(QWidget* parent = nullptr);
    TFNmeaChoice* Panel() const { return FPanel; }
    void SetLink(Connection* link) { FPanel->SetLink(link); }

  private:
    TFNmeaChoice* FPanel;
};

extern TFmNmeaChoice* FmNmeaChoice;
extern TFNmeaChoice* FNmeaChoice;
