// The player bar: a small window of its own, beside the main window (which
// keeps its size), shown while a capture plays on the port and hidden
// otherwise. Play/pause, single step, the speed, a position slider that
// seeks, loop, and where the playing stands.
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

    // Watches `port` for a capture being played; `owner` is the main window
    // it stays beside.
    TPlayerBar(QWidget* owner, YComPort* port);

    // Looks at the port once: shows, updates or hides the bar.
    void Watch();
    PlaybackControl* Control() const { return FControl.get(); }

    QToolButton* playButton = nullptr;
    QToolButton* stepButton = nullptr;
    QComboBox* speedCombo = nullptr;
    QSlider* positionSlider = nullptr;
    QCheckBox* loopBox = nullptr;
    QLabel* positionLabel = nullptr;

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
