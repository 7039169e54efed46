// The player bar: a small window of its own, below the main window's frame
// (it follows the window as it moves or grows, and never covers it), shown
// while a capture plays on the port and hidden otherwise. Play/pause, single
// step, the speed, a position slider that seeks, loop, and where the playing
// stands. The position label is as wide as its longest text, so the slider
// keeps its width whatever the label says.
#pragma once

#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QTimer;
class QToolButton;
class PlaybackControl;
class YComPort;

class TPlayerBar : public QWidget {
    Q_OBJECT

  public:
    static constexpr int WatchIntervalMs = 200;
    static constexpr int SliderSteps = 1000;
    static constexpr int MinSliderWidth = 160;
    // The widest text the position label shows.
    static const char* const LongestPosition;

    // Watches `port` for a capture being played; `owner` is the main window
    // it stays beside.
    TPlayerBar(QWidget* owner, YComPort* port);

    // Looks at the port once: shows, updates or hides the bar.
    void Watch();
    PlaybackControl* Control() const { return FControl.get(); }
    // Where the bar's frame goes: its left edge on the owner's, its top just
    // below the owner's frame.
    static QPoint PlaceFor(const QRect& ownerFrame);

    QToolButton* playButton = nullptr;
    QToolButton* stepButton = nullptr;
    QComboBox* speedCombo = nullptr;
    QSlider* positionSlider = nullptr;
    QCheckBox* loopBox = nullptr;
    QLabel* positionLabel = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildWidgets();
    void Attach(std::shared_ptr<PlaybackControl> control);
    void ShowState();
    void ApplySpeed();
    void PlaceBesideOwner();

    YComPort* const FPort;
    QWidget* const FOwner;
    std::shared_ptr<PlaybackControl> FControl;
    QTimer* FTimer = nullptr;
};
