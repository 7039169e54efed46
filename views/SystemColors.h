// Colours and letters that tell satellite systems apart in the views of a
// multi-constellation receiver. GPS keeps the plain white of a used mark.
#pragma once

#include <QColor>
#include <QString>

#include "nmea/Constellation.h"

inline QColor SystemFill(Constellation system) {
    switch (system) {
        case Constellation::Gps:
            return QColor(255, 255, 255);
        case Constellation::Sbas:
            return QColor(200, 200, 200);
        case Constellation::Glonass:
            return QColor(255, 170, 170);
        case Constellation::Galileo:
            return QColor(170, 205, 255);
        case Constellation::BeiDou:
            return QColor(255, 215, 140);
        case Constellation::Qzss:
            return QColor(190, 255, 190);
        case Constellation::NavIC:
            return QColor(230, 185, 255);
        default:
            return QColor(160, 160, 160);
    }
}

// "G12", "R65", "E5": the system letter before the satellite number.
inline QString SystemPrnText(Constellation system, int prn) {
    return QChar(ConstellationLetter(system)) + QString::number(prn);
}

// One line per system letter, for a tooltip legend.
inline QString SystemLegend() {
    QString legend;
    for (int i = 0; i < ConstellationCount - 1; ++i) {
        const auto system = static_cast<Constellation>(i);
        if (!legend.isEmpty()) legend += '\n';
        legend += QChar(ConstellationLetter(system)) + QString("  ") + ConstellationName(system);
    }
    return legend;
}
