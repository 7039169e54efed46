// The position panel: position, DOPs, course and speed, the strip of
// satellites used in the fix, and the time-to-fix counters; beside them, for
// a receiver that reports it (UBX NAV-STATUS), the receiver's own time to
// first fix.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <array>
#include <cstdint>
#include <vector>

#include "nmea/NmeaManager.h"
#include "views/CircleShape.h"
#include "views/StaleVeil.h"

class TFGPSInfo : public QFrame {
    Q_OBJECT
  public:
    static constexpr int MarkCount = 16;
    static constexpr uint32_t FixSecondsLimit = 7200;

    TFGPSInfo(QWidget* parent, NMEA_Manager& store);

    // Copies the store's texts into the labels and rebuilds the used-satellite strip.
    void Refresh();
    void StartFixTimer();
    // Safe from any thread: from a worker thread the stop is queued to the GUI thread.
    void StopFixTimer();
    void FixTimerTick();
    // Marks the shown data old (link down, receiver silent) or fresh again.
    void SetStale(bool stale) { staleVeil->SetStale(stale); }
    bool Stale() const { return staleVeil->Stale(); }

    bool FixTimerRunning() const { return fixTimer->isActive(); }
    uint32_t FixSeconds() const { return FFixSeconds; }

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
    TStaleVeil* staleVeil;

  private:
    void BuildWidgets();
    void BuildBoxes();
    void BuildUsedSatStrip();
    void BuildLabels();
    void ShowReceiverTtff(bool reported, uint32_t ttffMs);
    void ShowUsedOfAllSystems(const std::vector<UsedSatellite>& used);
    void ShowUsedMark(int i, int prn, const QColor& fill);
    void HideUsedMark(int i);
    Q_INVOKABLE void StopFixTimerHere();
    std::string CurrentFixMode();
    void NoteFixSeen(const std::string& mode);
    void ShowFixTimesSeenInTheGuard();
    bool FixBackWithinTheGuard() const;

    NMEA_Manager& FStore;
    uint32_t FFixSeconds = 0;
    uint32_t FTicks = 0;           // ticks since StartFixTimer
    uint32_t FFixSeenTick = 0;     // the tick that first saw a fix, 0: none yet
    uint32_t FThreeDSeenTick = 0;  // ... a 3D fix
};
