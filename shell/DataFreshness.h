// The one decision whether the views show live data. They do while the link
// is open and a sentence with a sound checksum has arrived on it within the
// last SilenceLimitMs; otherwise (no link yet, closed, lost, a wrong rate,
// a silent receiver) the data they show is old. A replayed capture is no
// live link and is never old, until a link opens.
//
// The store's sentence count and the link state are read every PollIntervalMs
// and whenever Check() is called: after each view refresh (fresh data shows
// at once) and when the link goes down (old data shows at once). GUI thread.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <cstdint>
#include <functional>

#include "link/GpsConfig.h"
#include "nmea/NmeaManager.h"

class QTimer;

class TDataFreshness : public QObject {
    Q_OBJECT
  public:
    static constexpr int SilenceLimitMs = 3000;
    static constexpr int PollIntervalMs = 500;

    // How the views are marked: called with the first decision at once and
    // again whenever it changes.
    using MarkViews = std::function<void(bool stale)>;

    TDataFreshness(NMEA_Manager& store, const GPSConfig& config, MarkViews mark,
                   QObject* parent = nullptr);

    // Reads the link state and the sentence count now and marks the views.
    void Check();
    // The views show a replayed capture: fresh until a link opens.
    void ShowingReplay();
    bool Stale() const { return FStale; }

  private:
    uint64_t SoundSentences();
    bool DecideStale(bool linkOpen, qint64 now) const;
    void Mark(bool stale);

    NMEA_Manager& FStore;
    const GPSConfig& FConfig;
    MarkViews FMark;
    QTimer* FPoll;
    QElapsedTimer FClock;
    uint64_t FLastCount = 0;
    bool FHeardOnLink = false;  // a sound sentence arrived since the link opened
    qint64 FLastHeardMs = 0;
    bool FReplay = false;
    bool FStale = true;
};
