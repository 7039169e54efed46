#include "views/FrameGPSInfo.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QThread>
#include <mutex>

#include "eval/EpochRecorder.h"
#include "views/AutoLabel.h"
#include "views/SkySnapshot.h"
#include "views/SystemColors.h"

namespace {

constexpr int MarkSize = 18;
constexpr int MarkSpacing = 15;
constexpr int MarkLeft = 3;
constexpr int StripLeft = 2;
constexpr int StripTop = 10;
constexpr int StripWidth = 203;
constexpr int StripHeight = 15;
constexpr int MarkTop = StripHeight / 2 - 5;
constexpr int LabelLeft = 10;
constexpr int LabelTop = 12;
constexpr int RightColumnLeft = 105;
constexpr int CountLeft = 192;
constexpr int CountTop = 11;
constexpr int ReceiverTtffLeft = 162;
// The differential solution's line in the room above the latitude.
constexpr int SolutionTop = 1;
constexpr int SolutionHeight = 10;
constexpr int SolutionPixelSize = 9;
constexpr uint8_t UbxNavClass = 0x01;
constexpr uint8_t UbxNavStatusId = 0x03;
constexpr double MsPerSecond = 1000.0;
constexpr uint32_t WholeSecondsFromMs = 100000;  // from 100 s on, no tenths
const char* const ReceiverTtffTip =
    "The receiver's own time to first fix (UBX NAV-STATUS), since its last start";
const QString Degree = QString(QChar(0x00B0));

struct BoxPlace {
    int Left, Top, Width, Height;
};
constexpr BoxPlace PosBoxPlace{1, 0, 104, 60};
// Room kept between a position text and its box's right edge, and the
// smallest font a long text may shrink to.
constexpr int FitMargin = 3;
constexpr int MinFitPixelSize = 6;
constexpr BoxPlace DopBoxPlace{106, 0, 104, 60};
constexpr BoxPlace MotionBoxPlace{1, 60, 208, 40};
constexpr BoxPlace UsedSatBoxPlace{1, 100, 208, 28};

QGroupBox* MakeBox(QWidget* parent, const BoxPlace& place) {
    auto* box = new QGroupBox(parent);
    box->setGeometry(place.Left, place.Top, place.Width, place.Height);
    return box;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// "2D:20.3 s"; "2D:--" for a time not reached.
QString FixTimeText(const char* prefix, double seconds) {
    return prefix + (seconds < 0 ? QString("--") : QString::number(seconds, 'f', 1) + " s");
}

// Shows a position text whole inside its box: a text longer than the room
// (a receiver's nine decimals of a degree) is drawn in the largest smaller
// font that fits; a text that fits keeps the box's font.
void SetFittedText(QLabel* label, const QString& text) {
    const QWidget* box = label->parentWidget();
    const int room = box->width() - label->x() - FitMargin;
    QFont font = box->font();
    int pixels = QFontInfo(font).pixelSize();
    while (QFontMetrics(font).horizontalAdvance(text) > room && pixels > MinFitPixelSize)
        font.setPixelSize(--pixels);
    if (label->font() != font) label->setFont(font);
    SetAutoText(label, text);
}

struct InfoSnapshot {
    DataDisplay Display;
    uint8_t UsedPrn[UsedPrnSlots] = {};
    SkySnapshot Sky;
    bool TtffReported = false;  // the receiver sends NAV-STATUS
    uint32_t TtffMs = 0;
    RtkState Rtk;
};

InfoSnapshot TakeSnapshot(NMEA_Manager& store) {
    InfoSnapshot snapshot;
    std::lock_guard<std::mutex> hold(store.Lock());
    snapshot.Display = store.Display();
    std::copy(std::begin(store.Gsa.Message.UsedPrn), std::end(store.Gsa.Message.UsedPrn),
              snapshot.UsedPrn);
    snapshot.Sky.Take(store.Sky);
    snapshot.TtffReported = store.Ubx.CountOf(UbxNavClass, UbxNavStatusId) > 0;
    snapshot.TtffMs = store.Ubx.Status.Ttff;
    snapshot.Rtk = store.Rtk;
    return snapshot;
}

}  // namespace

TFGPSInfo::TFGPSInfo(QWidget* parent, NMEA_Manager& store) : QFrame(parent), FStore(store) {
    BuildWidgets();
}

void TFGPSInfo::BuildWidgets() {
    BuildBoxes();
    BuildUsedSatStrip();
    BuildLabels();
    staleVeil = new TStaleVeil(this);
    fixTimer = new QTimer(this);
    fixTimer->setInterval(FixTimerIntervalMs);
    connect(fixTimer, &QTimer::timeout, this, &TFGPSInfo::FixTimerTick);
}

void TFGPSInfo::BuildBoxes() {
    posBox = MakeBox(this, PosBoxPlace);
    dopBox = MakeBox(this, DopBoxPlace);
    motionBox = MakeBox(this, MotionBoxPlace);
    usedSatBox = MakeBox(this, UsedSatBoxPlace);
}

void TFGPSInfo::BuildUsedSatStrip() {
    usedSatStrip = new QLabel(usedSatBox);
    usedSatStrip->setGeometry(StripLeft, StripTop, StripWidth, StripHeight);
    // A black band painted at the screen's density, not a bitmap scaled to it.
    usedSatStrip->setAutoFillBackground(true);
    QPalette stripPalette = usedSatStrip->palette();
    stripPalette.setColor(QPalette::Window, Qt::black);
    usedSatStrip->setPalette(stripPalette);
    for (int i = 0; i < MarkCount; ++i) {
        auto* mark = new TCircleShape(usedSatBox);
        mark->resize(MarkSize, MarkSize);
        mark->hide();
        usedSatMarks[i] = mark;
        auto* label = new QLabel(usedSatBox);
        label->resize(MarkSize, MarkSize);
        label->setAlignment(Qt::AlignCenter);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->hide();
        usedSatLabels[i] = label;
    }
    usedCountLabel = new QLabel(usedSatBox);
    usedCountLabel->setGeometry(CountLeft, CountTop, MarkSize, MarkSize);
    usedCountLabel->setAutoFillBackground(true);
    QPalette palette = usedCountLabel->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    usedCountLabel->setPalette(palette);
}

void TFGPSInfo::BuildLabels() {
    pdopLabel = MakeAutoLabel(dopBox, "PDOP:", LabelLeft, LabelTop);
    const int line = LabelHeight(pdopLabel);
    hdopLabel = MakeAutoLabel(dopBox, "HDOP:", LabelLeft, LabelTop + line);
    vdopLabel = MakeAutoLabel(dopBox, "VDOP:", LabelLeft, LabelTop + 2 * line);
    latLabel = MakeAutoLabel(posBox, "LAT:", LabelLeft, LabelTop);
    lonLabel = MakeAutoLabel(posBox, "LON:", LabelLeft, LabelTop + line);
    altLabel = MakeAutoLabel(posBox, "ALT:", LabelLeft, LabelTop + 2 * line);
    courseLabel = MakeAutoLabel(motionBox, "Course:", LabelLeft, LabelTop);
    speedLabel = MakeAutoLabel(motionBox, "Speed:", RightColumnLeft, LabelTop);
    fix2DLabel = MakeAutoLabel(motionBox, "2D:", LabelLeft, LabelTop + line);
    fix3DLabel = MakeAutoLabel(motionBox, "3D:", RightColumnLeft, LabelTop + line);
    receiverTtffLabel = MakeAutoLabel(motionBox, "", ReceiverTtffLeft, LabelTop + line);
    receiverTtffLabel->setToolTip(ReceiverTtffTip);
    receiverTtffLabel->hide();
    solutionLabel = new QLabel(posBox);
    solutionLabel->setGeometry(LabelLeft, SolutionTop, PosBoxPlace.Width - LabelLeft - FitMargin,
                               SolutionHeight);
    QFont small = solutionLabel->font();
    small.setPixelSize(SolutionPixelSize);
    solutionLabel->setFont(small);
    solutionLabel->hide();
}

// "Rx:31.2s"; "Rx:--" before the receiver's first fix since its start.
void TFGPSInfo::ShowReceiverTtff(bool reported, uint32_t ttffMs) {
    receiverTtffLabel->setVisible(reported);
    if (!reported) return;
    const int decimals = ttffMs < WholeSecondsFromMs ? 1 : 0;
    SetAutoText(receiverTtffLabel,
                "Rx:" + (ttffMs == 0 ? QString("--")
                                     : QString::number(ttffMs / MsPerSecond, 'f', decimals) + "s"));
}

// A small line at the position box's top says a differential solution ("RTK
// fixed, age 1.0 s"); a plain fix leaves it hidden, as the fix counters tell
// 2D and 3D.
void TFGPSInfo::ShowSolution(const RtkState& rtk) {
    FSolutionText = IsDifferential(rtk.Fix) ? RtkStateText(rtk) : std::string();
    solutionLabel->setVisible(!FSolutionText.empty());
    SetAutoText(solutionLabel, QString::fromStdString(FSolutionText));
}

void TFGPSInfo::Refresh() {
    const InfoSnapshot s = TakeSnapshot(FStore);
    const DataDisplay& d = s.Display;
    SetFittedText(latLabel, "LAT:" + Text(d.LatText) + Degree);
    SetFittedText(lonLabel, "LON:" + Text(d.LonText) + Degree);
    SetFittedText(altLabel, "ALT:" + Text(d.AltText));
    SetAutoText(hdopLabel, "HDOP:" + Text(d.HdopText));
    SetAutoText(vdopLabel, "VDOP:" + Text(d.VdopText));
    SetAutoText(pdopLabel, "PDOP:" + Text(d.PdopText));
    SetAutoText(courseLabel, "Course:" + Text(d.CourseText) + Degree);
    SetAutoText(speedLabel, "Speed:" + Text(d.SpeedText));
    ShowReceiverTtff(s.TtffReported, s.TtffMs);
    ShowSolution(s.Rtk);
    if (s.Sky.Extended) {
        ShowUsedOfAllSystems(s.Sky.UsedList);
        return;
    }
    for (int i = 0; i < UsedPrnSlots; ++i) {
        const uint8_t prn = s.UsedPrn[i];
        if (prn == 0) {
            HideUsedMark(i);
            continue;
        }
        ShowUsedMark(i, prn, Qt::white);
    }
    SetAutoText(usedCountLabel, Text(d.SatsUsedText));
}

// As many used satellites as the strip holds, each mark filled with its
// system's colour; the count is of all used satellites.
void TFGPSInfo::ShowUsedOfAllSystems(const std::vector<UsedSatellite>& used) {
    for (int i = 0; i < UsedPrnSlots; ++i) {
        if (i >= static_cast<int>(used.size())) {
            HideUsedMark(i);
            continue;
        }
        ShowUsedMark(i, used[i].Prn, SystemFill(used[i].System));
    }
    SetAutoText(usedCountLabel, QString::number(used.size()));
}

void TFGPSInfo::ShowUsedMark(int i, int prn, const QColor& fill) {
    usedSatLabels[i]->setText(QString::number(prn));
    const int left = MarkSpacing * i + MarkLeft;
    usedSatMarks[i]->SetBrush(fill);
    usedSatMarks[i]->move(left, MarkTop);
    usedSatLabels[i]->move(left, MarkTop);
    usedSatMarks[i]->show();
    usedSatLabels[i]->show();
}

void TFGPSInfo::HideUsedMark(int i) {
    usedSatMarks[i]->hide();
    usedSatLabels[i]->hide();
}

void TFGPSInfo::StartFixTimer() {
    if (!FRecording) return;
    std::lock_guard<std::mutex> hold(FStore.Lock());
    FMeasure.Start(FixStateOf(*FRecording), FRecording->ClockSeconds());
    FSeenCycles = FRecording->Recorded();
    fixTimer->start();
}

void TFGPSInfo::StopFixTimer() {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, "StopFixTimerHere", Qt::QueuedConnection);
        return;
    }
    StopFixTimerHere();
}

void TFGPSInfo::StopFixTimerHere() {
    if (!fixTimer->isActive()) return;
    fixTimer->stop();
    SetAutoText(fix2DLabel, FixTimeText("2D:", FMeasure.Fix2D()));
    SetAutoText(fix3DLabel, FixTimeText("3D:", FMeasure.Fix3D()));
}

// Each counter shows the time since the restart until its fix is reached,
// then the time to it; the 3D fix ends the counting.
void TFGPSInfo::FixTimerTick() {
    if (!FRecording) return;
    double now = 0;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        for (const FixState& cycle : FixStatesSince(*FRecording, FSeenCycles))
            FMeasure.Observe(cycle);
        now = FRecording->ClockSeconds();
    }
    const double running = now - FMeasure.RestartAt();
    if (FMeasure.Fix3D() < 0 && running > FixSecondsLimit) {
        fixTimer->stop();
        SetAutoText(fix2DLabel, "InValid");
        SetAutoText(fix3DLabel, "InValid");
        return;
    }
    const double fix2D = FMeasure.Fix2D(), fix3D = FMeasure.Fix3D();
    SetAutoText(fix2DLabel, FixTimeText("2D:", fix2D < 0 ? running : fix2D));
    SetAutoText(fix3DLabel, FixTimeText("3D:", fix3D < 0 ? running : fix3D));
    if (fix3D >= 0) fixTimer->stop();
}
