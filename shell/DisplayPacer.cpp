#include "shell/DisplayPacer.h"

TDisplayPacer::TDisplayPacer(QObject* parent) : QObject(parent) {
    FTimer.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, &TDisplayPacer::RunWaiting);
}

void TDisplayPacer::Run(std::function<void()> handOff) {
    FWaiting.push_back(std::move(handOff));
    if (FTimer.isActive()) return;
    const qint64 since = FSinceLast.isValid() ? FSinceLast.elapsed() : FrameMs;
    if (since >= FrameMs)
        RunWaiting();
    else
        FTimer.start(static_cast<int>(FrameMs - since));
}

void TDisplayPacer::RunWaiting() {
    FSinceLast.start();
    // A hand-off may pump events (and bring the next one): take them first.
    std::vector<std::function<void()>> waiting;
    waiting.swap(FWaiting);
    for (const std::function<void()>& handOff : waiting) handOff();
}
