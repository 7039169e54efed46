#include "views/SkyImage.h"

#include <QMouseEvent>
#include <QPainter>

TSkyImage::TSkyImage(QWidget* parent, int side) : QWidget(parent), FCanvas(side, side) {
    FCanvas.fill(Qt::black);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSkyImage::ResizeCanvas(QSize size) {
    const qreal ratio = devicePixelRatioF();
    FCanvas = QPixmap(size * ratio);
    FCanvas.setDevicePixelRatio(ratio);
    FCanvas.fill(Qt::black);
    update();
}

void TSkyImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, FCanvas);
}

void TSkyImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (FSkipRelease) {
        FSkipRelease = false;
        return;
    }
    const QPoint at = event->position().toPoint();
    if (!rect().contains(at)) return;
    emit ClickedAt(at);
    emit Clicked();
}

void TSkyImage::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    FSkipRelease = true;
    emit DoubleClicked();
}
