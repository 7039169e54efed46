// Signal-strength colour bands shared by the sky view and the signal chart.
#pragma once

#include <QColor>
#include <cstdint>

namespace SnrColors {
inline const QColor Silver{192, 192, 192};
inline const QColor Red{255, 0, 0};
inline const QColor Yellow{255, 255, 0};
inline const QColor Green{0, 255, 0};
inline const QColor Blue{0, 0, 255};
}  // namespace SnrColors

constexpr unsigned SnrStrong = 50;
constexpr unsigned SnrGood = 40;
constexpr unsigned SnrFair = 30;

// Colour of a tracked satellite's SNR band (1 and above).
inline QColor SnrBandColor(unsigned snr) {
    if (snr >= SnrStrong) return SnrColors::Blue;
    if (snr >= SnrGood) return SnrColors::Green;
    if (snr >= SnrFair) return SnrColors::Yellow;
    return SnrColors::Red;
}

// The sky view's colour: silver for a satellite that is not tracked (SNR 0).
inline QColor SnrColor(unsigned snr) {
    return snr == 0 ? SnrColors::Silver : SnrBandColor(snr);
}
