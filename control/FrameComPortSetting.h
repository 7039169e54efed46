// The port settings panel: port list, baud rate, detection mode, Open/Close (not built yet).
#pragma once

#include <QFrame>

class TFComPortSetting : public QFrame {
  public:
    explicit TFComPortSetting(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    }

    // Gives the port list the keyboard focus.
    void FocusPortList() { setFocus(); }
};
