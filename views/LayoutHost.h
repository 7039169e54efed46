// What the sky view's layout toggle needs of the main window.
#pragma once

class TLayoutHost {
  public:
    virtual ~TLayoutHost() = default;
    // Compact: the sky view, the signal chart and the status bar alone, at a
    // fixed size; full: the whole window at the size it had before.
    virtual void SetCompactLayout(bool compact) = 0;
};
