// The position panel: position, DOPs, course and speed, the strip of
// satellites used in the fix, and the time-to-fix counters; beside them, for
// a receiver that reports it (UBX NAV-STATUS), the receiver's own time to
// first fix. The counters measure, in tenths of a second, by the rule the
// time-to-fix campaign measures by (FixTimeMeasure), on the recording's
// cycles and clock; stopped (the link closed), they keep their last texts,
// which the veil marks old with the rest of the panel.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <array>
#include <cstdint>
#include <vector>

#include "eval/TtffCampaign.h"
#include "nmea/NmeaManager.h"
#include "views/CircleShape.h"
#include "views/StaleVeil.h"

class EpochRecorder;

class TFGPSInfo : public QFrame {
    Q_OBJECT
  public:
    static constexpr int MarkCount = 16;
    static constexpr double FixSecondsLimit = 7200;
    static constexpr int FixTimerIntervalMs = 100;

    TFGPSInfo(QWidget* parent, NMEA_Manager& store);

    // The recording of the store's cycles the counters read (under the
    // store's lock); without one they do not count.
    void SetRecording(const EpochRecorder* recording) { FRecording = recording; }
    // Copies the store's texts into the labels and rebuilds the used-satellite strip.
    void Refresh();
    // A restart went out (or a receiver was found) now: the counters start.
    void StartFixTimer();
    // Safe from any thread: from a worker thread the stop is queued to the
    // GUI thread. A counter that reached its fix keeps its time; one that
    // did not reads "--".
    void StopFixTimer();
    void FixTimerTick();
    // Marks the shown data old (link down, receiver silent) or fresh again.
    void SetStale(bool stale) { staleVeil->SetStale(stale); }
    bool Stale() const { return staleVeil->Stale(); }

    bool FixTimerRunning() const { return fixTimer->isActive(); }
    // The measure of the last counting (times in seconds).
    const FixTimeMeasure& FixTimes() const { return FMeasure; }
    // The receiver's differential solution as the last refresh showed it
    // ("RTK float, age 2.0 s"), "" while it has none.
    const std::string& SolutionText() const { return FSolutionText; }

    QTimer* fixTimer;
    QGroupBox* posBox;
    QGroupBox* dopBox;
    QGroupBox* motionBox;
    QGroupBox* usedSatBox;
    QLabel* usedSatStrip;
    std::array<TCircleShape*, MarkCount> usedSatMarks{};
    std::array<QLabel*, MarkCount> usedSatLabels{};
    QLabel* usedCountLabel;
    QLabel* hdopLabel;
    QLabel* vdopLabel;
    QLabel* pdopLabel;
    QLabel* latLabel;
    QLabel* lonLabel;
    QLabel* altLabel;
    QLabel* courseLabel;
    QLabel* speedLabel;
    QLabel* fix2DLabel;
    QLabel* fix3DLabel;
    QLabel* receiverTtffLabel;  // hidden until the receiver reports its own
    QLabel* solutionLabel;      // over the position box, hidden without a differential solution
    TStaleVeil* staleVeil;

  private:
    void BuildWidgets();
    void BuildBoxes();
    void BuildUsedSatStrip();
    void BuildLabels();
    void ShowReceiverTtff(bool reported, uint32_t ttffMs);
    void ShowSolution(const RtkState& rtk);
    void ShowUsedOfAllSystems(const std::vector<UsedSatellite>& used);
    void ShowUsedMark(int i, int prn, const QColor& fill);
    void HideUsedMark(int i);
    Q_INVOKABLE void StopFixTimerHere();

    NMEA_Manager& FStore;
    const EpochRecorder* FRecording = nullptr;
    FixTimeMeasure FMeasure;
    std::string FSolutionText;
    uint64_t FSeenCycles = 0;  // cycles of the recording the measure has seen
};
