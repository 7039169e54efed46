// A circle shape: an ellipse inscribed in the widget, outlined with its pen
// and filled with its brush. Mouse events pass through to what lies below.
#pragma once

#include <QBrush>
#include <QPen>
#include <QWidget>

class TCircleShape : public QWidget {
    Q_OBJECT
  public:
    explicit TCircleShape(QWidget* parent);

    void SetPen(const QPen& pen);
    void SetBrush(const QBrush& brush);
    const QPen& Pen() const { return FPen; }
    const QBrush& Brush() const { return FBrush; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPen FPen{Qt::black};
    QBrush FBrush{Qt::white};
};
