#include "shell/DataFreshness.h"

#include <QTimer>
#include <mutex>

TDataFreshness::TDataFreshness(NMEA_Manager& store, const GPSConfig& config, MarkViews mark,
                               QObject* parent)
    : QObject(parent), FStore(store), FConfig(config), FMark(std::move(mark)) {
    FClock.start();
    FLastCount = SoundSentences();
    FPoll = new QTimer(this);
    FPoll->setInterval(PollIntervalMs);
    connect(FPoll, &QTimer::timeout, this, &TDataFreshness::Check);
    FPoll->start();
    FStale = DecideStale(FConfig.IsPortOpen(), FClock.elapsed());
    if (FMark) FMark(FStale);
}

uint64_t TDataFreshness::SoundSentences() {
    std::lock_guard<std::mutex> hold(FStore.Lock());
    return FStore.SoundRecords();
}

void TDataFreshness::Check() {
    const bool linkOpen = FConfig.IsPortOpen();
    const uint64_t count = SoundSentences();
    const qint64 now = FClock.elapsed();
    // Sentences counted while no link is open (a replay, the last words of a
    // reader being closed) say nothing about the next link.
    if (count != FLastCount && linkOpen) {
        FHeardOnLink = true;
        FLastHeardMs = now;
    }
    FLastCount = count;
    if (!linkOpen) FHeardOnLink = false;
    if (linkOpen) FReplay = false;
    Mark(DecideStale(linkOpen, now));
}

void TDataFreshness::ShowingReplay() {
    FReplay = true;
    Check();
}

bool TDataFreshness::DecideStale(bool linkOpen, qint64 now) const {
    if (FReplay) return false;
    return !linkOpen || !FHeardOnLink || now - FLastHeardMs >= SilenceLimitMs;
}

void TDataFreshness::Mark(bool stale) {
    if (stale == FStale) return;
    FStale = stale;
    if (FMark) FMark(stale);
}
