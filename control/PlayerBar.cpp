#include "control/PlayerBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <iterator>

#include "serial/PlaybackControl.h"
#include "serial/YComPort.h"

namespace {

constexpr const char* Title = "LumarokUb player";
constexpr const char* CaptionPlay = "Play";
constexpr const char* CaptionPause = "Pause";
constexpr const char* CaptionStep = "Step";
constexpr const char* CaptionLoop = "Loop";
constexpr const char* CaptionFastest = "max";
constexpr double Speeds[] = {0.25, 0.5, 1,  2,   5,
                             10,   20,  50, 100, PlaybackControl::AsFastAsPossible};
constexpr int NormalSpeedIndex = 2;
constexpr int OwnerGap = 4;
constexpr int LabelPadding = 4;  // beside the label's text, so no last letter is clipped

QString SpeedText(double speed) {
    return speed == PlaybackControl::AsFastAsPossible ? CaptionFastest
                                                      : QString::number(speed) + "x";
}

}  // namespace

// Seven-digit counts (a day at 10 Hz with ten sentences a cycle), the
// capture's time and the end mark; digits are equally wide in the fonts used.
const char* const TPlayerBar::LongestPosition = "8888888/8888888 88:88:88 end";

TPlayerBar::TPlayerBar(QWidget* owner, YComPort* port)
    : QWidget(owner, Qt::Tool), FPort(port), FOwner(owner) {
    setWindowTitle(Title);
    BuildWidgets();
    FTimer = new QTimer(this);
    FTimer->setInterval(WatchIntervalMs);
    connect(FTimer, &QTimer::timeout, this, [this] { Watch(); });
    FTimer->start();
}

void TPlayerBar::BuildWidgets() {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    playButton = new QToolButton(this);
    playButton->setText(CaptionPause);
    stepButton = new QToolButton(this);
    stepButton->setText(CaptionStep);
    speedCombo = new QComboBox(this);
    for (double speed : Speeds) speedCombo->addItem(SpeedText(speed));
    speedCombo->setCurrentIndex(NormalSpeedIndex);
    positionSlider = new QSlider(Qt::Horizontal, this);
    positionSlider->setRange(0, SliderSteps);
    positionSlider->setMinimumWidth(MinSliderWidth);
    loopBox = new QCheckBox(CaptionLoop, this);
    positionLabel = new QLabel(this);
    positionLabel->setFixedWidth(positionLabel->fontMetrics().horizontalAdvance(LongestPosition) +
                                 LabelPadding);
    for (QWidget* w : std::initializer_list<QWidget*>{playButton, stepButton, speedCombo,
                                                      positionSlider, loopBox, positionLabel})
        row->addWidget(w, w == positionSlider ? 1 : 0);
    if (FOwner) FOwner->installEventFilter(this);
    connect(playButton, &QToolButton::clicked, this, [this] {
        if (FControl) FControl->SetPaused(!FControl->Snapshot().Paused);
        ShowState();
    });
    connect(stepButton, &QToolButton::clicked, this, [this] {
        if (FControl) FControl->Step();
        ShowState();
    });
    connect(speedCombo, &QComboBox::currentIndexChanged, this, [this] { ApplySpeed(); });
    connect(loopBox, &QCheckBox::toggled, this, [this](bool loop) {
        if (FControl) FControl->SetLoop(loop);
    });
    connect(positionSlider, &QSlider::sliderReleased, this, [this] {
        if (FControl) FControl->Seek(static_cast<double>(positionSlider->value()) / SliderSteps);
    });
}

void TPlayerBar::ApplySpeed() {
    const int index = speedCombo->currentIndex();
    if (FControl && index >= 0 && index < static_cast<int>(std::size(Speeds)))
        FControl->SetSpeed(Speeds[index]);
}

void TPlayerBar::Watch() {
    std::shared_ptr<PlaybackControl> control = FPort ? FPort->Playback() : nullptr;
    if (control != FControl) Attach(std::move(control));
    if (FControl) ShowState();
}

// A new capture plays with the bar's speed and loop as they stand.
void TPlayerBar::Attach(std::shared_ptr<PlaybackControl> control) {
    FControl = std::move(control);
    if (!FControl) {
        hide();
        return;
    }
    ApplySpeed();
    FControl->SetLoop(loopBox->isChecked());
    PlaceBesideOwner();
    show();
}

QPoint TPlayerBar::PlaceFor(const QRect& ownerFrame) {
    return {ownerFrame.left(), ownerFrame.bottom() + 1 + OwnerGap};
}

// A top-level widget's move() places its frame, so the bar's title bar
// starts below the owner's frame.
void TPlayerBar::PlaceBesideOwner() {
    if (FOwner) move(PlaceFor(FOwner->frameGeometry()));
}

// The owner moved or grew: the bar goes with it.
bool TPlayerBar::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == FOwner && isVisible() && (type == QEvent::Move || type == QEvent::Resize))
        PlaceBesideOwner();
    return QWidget::eventFilter(watched, event);
}

// A window manager may put a new window where it likes (over its owner,
// say): once it has been mapped, the bar is placed again.
void TPlayerBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    PlaceBesideOwner();
    QTimer::singleShot(0, this, [this] { PlaceBesideOwner(); });
}

void TPlayerBar::ShowState() {
    const PlaybackControl::State state = FControl->Snapshot();
    playButton->setText(state.Paused ? CaptionPlay : CaptionPause);
    if (!positionSlider->isSliderDown() && state.Lines > 0)
        positionSlider->setValue(static_cast<int>(state.Position * SliderSteps / state.Lines));
    QString text = QString("%1/%2").arg(state.Position).arg(state.Lines);
    if (!state.Utc.empty()) text += " " + QString::fromStdString(state.Utc);
    if (state.Ended) text += " end";
    positionLabel->setText(text);
}
