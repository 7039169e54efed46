// The mark of a view whose data is old: a translucent grey wash over the
// whole view with a small "no data" tag in its middle, laid over every other
// part of the view. Hidden, it draws nothing, so a view with fresh data looks
// exactly as without it. Mouse events pass through to the view below.
#pragma once

#include <QColor>
#include <QWidget>

class TStaleVeil : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* TagText = "no data";
    // The tag's background: darker than any washed pixel can be.
    static const QColor TagFill;

    // Covers `view` and follows its size.
    explicit TStaleVeil(QWidget* view);

    // Shows the veil over the view (old data) or hides it (fresh data).
    void SetStale(bool stale);
    bool Stale() const { return FStale; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool FStale = false;
};
