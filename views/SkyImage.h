// The sky plot's persistent bitmap: painted only when the background changes
// or the plot's size does, shown as it is on every repaint, at the screen's
// device pixel ratio (sharp on high-density screens). Reports clicks, with
// their place, and double-clicks; a double-click arrives as a click followed
// by a double-click.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <vector>

class TSkyImage : public QWidget {
    Q_OBJECT
  public:
    TSkyImage(QWidget* parent, int side);

    // Makes the bitmap as large as the widget, black.
    void ResizeCanvas(QSize size);
    QPixmap& Canvas() { return FCanvas; }
    // Thin lines drawn over the bitmap (below everything else) from each mark
    // to its number where the number stands away from the mark.
    void SetLeaders(std::vector<QLineF> leaders);
    const std::vector<QLineF>& Leaders() const { return FLeaders; }
    const QPixmap& Canvas() const { return FCanvas; }

  signals:
    void ClickedAt(QPoint at);  // just before Clicked
    void Clicked();
    void DoubleClicked();
    // The bitmap no longer matches the screen's pixel ratio (the window moved
    // to another screen): its owner draws it anew.
    void CanvasStale();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QPixmap FCanvas;
    std::vector<QLineF> FLeaders;
    bool FSkipRelease = false;  // the release that ends a double-click
};
