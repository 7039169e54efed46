// Layout constants: every pixel rectangle of the main window, derived from a
// few base sizes so that the panels always tile the window exactly.
#pragma once

struct LayoutRect {
    int Top;
    int Left;
    int Height;
    int Width;
};

struct LayoutConfig {
    // Base sizes.
    int UnitSize;      // sky view side and column width
    int ChartHeight;   // signal chart
    int StatusHeight;  // status bar
    int PortPanelHeight;
    int InfoHeight;  // position panel
    // Derived sizes.
    int ConsoleHeight;
    int ConsoleWidth;
    int ButtonPanelWidth;
    int ButtonPanelHeight;
    int AboutTop;
    int AboutHeight;
    int ClientWidth;
    int ClientHeight;
    // Panel rectangles in client coordinates.
    LayoutRect SkyView;
    LayoutRect SnrChart;
    LayoutRect Status;
    LayoutRect Console;
    LayoutRect GpsInfo;
    LayoutRect About;
    LayoutRect PortPanel;
    LayoutRect RestartPanel;
    LayoutRect UtilPanel;
};

constexpr double ConsoleHeightFactor = 0.4;
constexpr int AboutOverlap = 5;

constexpr LayoutConfig MakeLayout(int unit, int chart, int status, int port, int info) {
    LayoutConfig c{};
    c.UnitSize = unit;
    c.ChartHeight = chart;
    c.StatusHeight = status;
    c.PortPanelHeight = port;
    c.InfoHeight = info;
    c.ConsoleHeight = static_cast<int>(2 * unit * ConsoleHeightFactor);
    c.ConsoleWidth = 2 * unit;
    c.ButtonPanelWidth = unit / 2;
    c.ButtonPanelHeight = chart + status - port;
    c.AboutTop = info - AboutOverlap;
    c.AboutHeight = unit - info;
    c.ClientWidth = 2 * unit;
    c.ClientHeight = unit + chart + status + c.ConsoleHeight;
    c.SkyView = {0, 0, unit, unit};
    c.SnrChart = {unit, 0, chart, unit};
    c.Status = {unit + chart, 0, status, unit};
    c.Console = {unit + chart + status, 0, c.ConsoleHeight, c.ConsoleWidth};
    c.GpsInfo = {0, unit, info, unit};
    c.About = {c.AboutTop, unit, c.AboutHeight, unit};
    c.PortPanel = {unit, unit, port, unit};
    c.RestartPanel = {unit + port, unit, c.ButtonPanelHeight, c.ButtonPanelWidth};
    c.UtilPanel = {unit + port, unit + c.ButtonPanelWidth, c.ButtonPanelHeight, c.ButtonPanelWidth};
    return c;
}

// The monitor's layout.
inline constexpr LayoutConfig Config = MakeLayout(210, 100, 20, 50, 135);
