#include "views/CircleShape.h"

#include <QPainter>

TCircleShape::TCircleShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TCircleShape::SetPen(const QPen& pen) {
    if (pen == FPen) return;
    FPen = pen;
    update();
}

void TCircleShape::SetBrush(const QBrush& brush) {
    if (brush == FBrush) return;
    FBrush = brush;
    update();
}

void TCircleShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(FPen);
    painter.setBrush(FBrush);
    const qreal inset = FPen.widthF() / 2.0;
    const qreal side = qMin(width(), height()) - FPen.widthF();
    painter.drawEllipse(QRectF(inset, inset, side, side));
}
