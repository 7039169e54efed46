#include "control/AboutLogo.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor Sky(0x1f, 0x4e, 0x79);
const QColor Signal(0xf2, 0xa9, 0x00);
const QColor Ground(0xe8, 0xee, 0xf4);
constexpr char LogoName[] = "LumarokUb";

// The mark in a square of side `side` at `origin`: a round sky, a fix point
// and three signal arcs.
void DrawMark(QPainter& p, QPointF origin, qreal side) {
    const QRectF disc(origin, QSizeF(side, side));
    p.setPen(Qt::NoPen);
    p.setBrush(Sky);
    p.drawEllipse(disc);
    const QPointF fix = disc.center() + QPointF(0, side * 0.18);
    p.setBrush(Signal);
    p.drawEllipse(fix, side * 0.08, side * 0.08);
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        p.setPen(QPen(i == 3 ? Ground : Signal, side * 0.05, Qt::SolidLine, Qt::RoundCap));
        const qreal r = side * 0.13 * i;
        p.drawArc(QRectF(fix - QPointF(r, r), QSizeF(2 * r, 2 * r)), 40 * 16, 100 * 16);
    }
}
}  // namespace

QPixmap DrawAboutLogo(QSize size, bool withName, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = size.height() * 0.9;
    const qreal margin = size.height() * 0.05;
    DrawMark(p, QPointF(margin, margin), side);
    if (withName) {
        QFont font = p.font();
        font.setBold(true);
        const QRectF text(side + 2 * margin, 0, size.width() - side - 2 * margin, size.height());
        // As large as fits beside the mark.
        int pixels = static_cast<int>(size.height() * 0.3);
        for (; pixels > 6; --pixels) {
            font.setPixelSize(pixels);
            if (QFontMetricsF(font).horizontalAdvance(LogoName) <= text.width()) break;
        }
        p.setFont(font);
        p.setPen(Sky);
        p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, LogoName);
    }
    return pixmap;
}
