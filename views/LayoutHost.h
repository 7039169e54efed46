// What the sky view's layout toggle needs of the main window.
#pragma once

#include <QSize>

class TLayoutHost {
  public:
    virtual ~TLayoutHost() = default;
    virtual QSize LayoutSize() const = 0;  // client size
    virtual void SetLayoutSize(QSize size) = 0;
    virtual void SetButtonPanelsVisible(bool visible) = 0;
};
