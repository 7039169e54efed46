// Keeps the reader's hand-offs to the display at the display's own rate: the
// first after a quiet frame runs at once, later ones wait until a frame
// interval has passed since the last run, and all that arrived meanwhile run
// together then. A receiver at a normal rate is thus shown sentence by
// sentence, while a flood costs the user-interface thread one console append
// and one refresh a frame.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

class TDisplayPacer : public QObject {
    Q_OBJECT
  public:
    static constexpr int FrameMs = 16;

    explicit TDisplayPacer(QObject* parent = nullptr);

    // Runs `handOff` now, or with the others at the end of the frame.
    void Run(std::function<void()> handOff);

  private:
    void RunWaiting();

    QTimer FTimer;
    QElapsedTimer FSinceLast;
    std::vector<std::function<void()>> FWaiting;
};
