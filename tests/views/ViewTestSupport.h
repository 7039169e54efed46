// Helpers shared by the widget tests.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWidget>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "nmea/Dispatch.h"
#include "nmea/NmeaManager.h"

#ifndef LUMAROKUB_CORPUS_DIR
#error "LUMAROKUB_CORPUS_DIR must be defined"
#endif

inline std::string CorpusFile(const char* name) {
    return std::string(LUMAROKUB_CORPUS_DIR) + "/" + name;
}

// The sentences of a capture file, header comments and line ends removed.
inline std::vector<std::string> CaptureSentences(const char* name) {
    std::ifstream in(CorpusFile(name), std::ios::binary);
    std::vector<std::string> sentences;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (!line.empty() && line.front() == '$') sentences.push_back(line);
    }
    return sentences;
}

// Dispatches real sentences (without line end) into the store, as the reader does.
inline void Feed(NMEA_Manager& store, const std::vector<std::string>& sentences) {
    for (const std::string& s : sentences) {
        const std::string framed = s + "\r";
        std::lock_guard<std::mutex> hold(store.Lock());
        DispatchSentence(framed, store, nullptr);
    }
}

inline void SetSatellite(NMEA_Manager& store, int slot, uint8_t prn, int8_t elevation,
                         int16_t azimuth, uint8_t snr) {
    std::lock_guard<std::mutex> hold(store.Lock());
    store.Gsv.Satellites[slot] = GsvSatellite{prn, elevation, azimuth, snr};
}

inline void SetFixMode(NMEA_Manager& store, const std::string& mode) {
    std::lock_guard<std::mutex> hold(store.Lock());
    store.Display().FixModeText = mode;
}

// Processes events until the condition holds or the time runs out.
template <class Condition>
bool WaitFor(Condition&& condition, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// A click as the window system delivers it: press, release.
inline void Click(QWidget* target, QPoint at = QPoint(5, 5)) {
    SendMouse(target, QEvent::MouseButtonPress, at);
    SendMouse(target, QEvent::MouseButtonRelease, at);
}

// A double-click as the window system delivers it: a click, then a second
// press reported as a double-click, then its release.
inline void DoubleClick(QWidget* target, QPoint at = QPoint(5, 5)) {
    Click(target, at);
    SendMouse(target, QEvent::MouseButtonPress, at);
    SendMouse(target, QEvent::MouseButtonDblClick, at);
    SendMouse(target, QEvent::MouseButtonRelease, at);
}
