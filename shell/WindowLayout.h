// Where the main window's panels sit at a given client size. The smallest
// size is the fixed layout of views/Config.h, with the status bar across the
// window's foot; a larger window gives its extra
// width to the sky view and the signal chart and shares its extra height
// between the sky view, the signal chart and the console, while the panels on
// the right keep their size at the right edge. The sky plot stays round: it
// takes the largest square of its area, centred.
#pragma once

#include <QRect>
#include <QSize>

struct WindowLayout {
    QRect SkyArea;  // the sky view's share of the window, black around the plot
    QRect SkyView;  // the square plot inside it
    QRect SnrChart;
    QRect Status;
    QRect Console;
    QRect GpsInfo;
    QRect About;
    QRect PortPanel;
    QRect RestartPanel;
    QRect UtilPanel;
};

// The default and smallest client size of the full layout.
QSize DefaultClientSize();
// The client size of the compact layout: sky view, signal chart, status bar.
QSize CompactClientSize();
// The panels at a client size; a size below the default is taken as the default.
WindowLayout LayoutForSize(QSize client);
// The compact layout: the left column above the console, the status bar
// under the chart.
WindowLayout CompactPanels();

// A kept window rectangle (top-left and client size) moved and shrunk onto the
// available area of a screen; never smaller than 'minimum'.
QRect FitOntoScreen(const QRect& wanted, QSize minimum, const QRect& available);
