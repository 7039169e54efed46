#include "shell/WindowLayout.h"

#include <algorithm>

#include "views/Config.h"

namespace {

// Of the extra height, the sky view takes two thirds (until it is as tall as
// it is wide); the signal chart and the console share the rest equally.
constexpr int SkyShareNumerator = 2;
constexpr int SkyShareDenominator = 3;
constexpr int ChartShareDivisor = 2;

QRect Rect(const LayoutRect& r, int shiftX = 0) {
    return QRect(r.Left + shiftX, r.Top, r.Width, r.Height);
}

QRect CentredSquare(const QRect& area) {
    const int side = std::min(area.width(), area.height());
    return QRect(area.left() + (area.width() - side) / 2, area.top() + (area.height() - side) / 2,
                 side, side);
}

// One coordinate of a span kept inside [low, low + room).
int FitSpan(int start, int length, int low, int room) {
    if (length >= room) return low;
    return std::clamp(start, low, low + room - length);
}

}  // namespace

QSize DefaultClientSize() {
    return QSize(Config.ClientWidth, Config.ClientHeight);
}

QSize CompactClientSize() {
    return QSize(Config.UnitSize, Config.ClientHeight - Config.ConsoleHeight);
}

// The status bar spans the whole window at its foot, so that the receiver's
// name and its latest answer read whole even at the smallest size; the chart
// takes the height the status bar had in the left column, and the console
// sits between the right column's foot and the status bar.
WindowLayout LayoutForSize(QSize client) {
    const int extraWidth = std::max(0, client.width() - Config.ClientWidth);
    const int extraHeight = std::max(0, client.height() - Config.ClientHeight);
    const int leftWidth = Config.UnitSize + extraWidth;
    const int skyGrowth =
        std::min(extraHeight * SkyShareNumerator / SkyShareDenominator, extraWidth);
    const int chartGrowth = (extraHeight - skyGrowth) / ChartShareDivisor;
    const int consoleGrowth = extraHeight - skyGrowth - chartGrowth;
    const int skyHeight = Config.UnitSize + skyGrowth;
    const int chartHeight = Config.ChartHeight + Config.StatusHeight + chartGrowth;
    const int consoleTop = skyHeight + chartHeight;
    const int consoleHeight = Config.ConsoleHeight - Config.StatusHeight + consoleGrowth;

    WindowLayout l;
    l.SkyArea = QRect(0, 0, leftWidth, skyHeight);
    l.SkyView = CentredSquare(l.SkyArea);
    l.SnrChart = QRect(0, skyHeight, leftWidth, chartHeight);
    l.Console = QRect(0, consoleTop, Config.ConsoleWidth + extraWidth, consoleHeight);
    l.Status =
        QRect(0, consoleTop + consoleHeight, Config.ConsoleWidth + extraWidth, Config.StatusHeight);
    l.GpsInfo = Rect(Config.GpsInfo, extraWidth);
    l.About = Rect(Config.About, extraWidth);
    l.PortPanel = Rect(Config.PortPanel, extraWidth);
    l.RestartPanel = Rect(Config.RestartPanel, extraWidth);
    l.UtilPanel = Rect(Config.UtilPanel, extraWidth);
    return l;
}

WindowLayout CompactPanels() {
    WindowLayout l = LayoutForSize(DefaultClientSize());
    l.SnrChart = Rect(Config.SnrChart);
    l.Status = Rect(Config.Status);
    return l;
}

QRect FitOntoScreen(const QRect& wanted, QSize minimum, const QRect& available) {
    const QSize size = wanted.size().boundedTo(available.size()).expandedTo(minimum);
    return QRect(FitSpan(wanted.x(), size.width(), available.x(), available.width()),
                 FitSpan(wanted.y(), size.height(), available.y(), available.height()),
                 size.width(), size.height());
}
