#include "views/SkyImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
const QColor LeaderColour{150, 150, 150};
}

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
    if (FCanvas.devicePixelRatio() != devicePixelRatioF()) emit CanvasStale();
    QPainter painter(this);
    painter.drawPixmap(0, 0, FCanvas);
    if (FLeaders.empty()) return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(LeaderColour, 1));
    painter.drawLines(FLeaders.data(), static_cast<int>(FLeaders.size()));
}

void TSkyImage::SetLeaders(std::vector<QLineF> leaders) {
    if (leaders == FLeaders) return;
    FLeaders = std::move(leaders);
    update();
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
