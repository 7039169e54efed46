#include "views/StaleVeil.h"

#include <QEvent>
#include <QPainter>

namespace {

// Half-way grey at a little over half strength: white texts turn light grey,
// black backgrounds dark grey, colours lose most of their strength.
const QColor Wash{128, 128, 128, 150};
const QColor TagInk{230, 230, 230};
constexpr int TagPaddingX = 6;
constexpr int TagPaddingY = 2;
constexpr int TagCornerRadius = 3;

}  // namespace

const QColor TStaleVeil::TagFill{64, 64, 64};

TStaleVeil::TStaleVeil(QWidget* view) : QWidget(view) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(view->rect());
    view->installEventFilter(this);
    hide();
}

void TStaleVeil::SetStale(bool stale) {
    FStale = stale;
    if (!stale) {
        hide();
        return;
    }
    // Parts the view made after the veil would otherwise lie above it.
    raise();
    show();
}

bool TStaleVeil::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void TStaleVeil::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Wash);
    QFont tagFont = font();
    tagFont.setBold(true);
    painter.setFont(tagFont);
    const QFontMetrics metrics(tagFont);
    const QString text = QString::fromLatin1(TagText);
    QRect tag(0, 0, metrics.horizontalAdvance(text) + 2 * TagPaddingX,
              metrics.height() + 2 * TagPaddingY);
    tag.moveCenter(rect().center());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(TagFill);
    painter.drawRoundedRect(tag, TagCornerRadius, TagCornerRadius);
    painter.setPen(TagInk);
    painter.drawText(tag, Qt::AlignCenter, text);
}
