// The sky view: a polar plot of the satellites in view, coloured by signal
// strength and filled when used in the fix, with the local time, GMT, date
// and fix mode in its corners. A click shows or hides the compass axes (a
// click on a satellite names it instead); a double-click switches the main
// window between its full and compact layout. The plot stays round at any
// size: it fills the largest square the frame holds, and its rings, marks and
// texts scale with that square's side. Numbers that would hide another
// satellite or number move beside their marks. The context menu shows all
// systems or one.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "link/GpsConfig.h"
#include "nmea/NmeaManager.h"
#include "views/CircleShape.h"
#include "views/LayoutHost.h"
#include "views/SkyGeometry.h"
#include "views/SkyImage.h"
#include "views/StaleVeil.h"

class TFSViewer : public QFrame {
    Q_OBJECT
  public:
    static constexpr int MarkCount = GsvMaxSatellites;

    // host may be null (no layout to switch).
    TFSViewer(QWidget* parent, NMEA_Manager& store, GPSConfig& config, TLayoutHost* host);
    ~TFSViewer() override;

    QSize sizeHint() const override;

    void Refresh();
    void DrawBackground();
    void SkyClick();
    void SkyDblClick();
    // Marks the shown data old (link down, receiver silent) or fresh again.
    void SetStale(bool stale) { staleVeil->SetStale(stale); }
    bool Stale() const { return staleVeil->Stale(); }

    bool AxesShown() const { return FAxesShown; }
    bool FullLayout() const { return FFullLayout; }

    // The side of the square the plot is drawn in, and that square.
    int PlotSide() const { return FSide; }
    QRect PlotRect() const;
    // Shows the satellites of one system only, or (no value) of all.
    void SetSystemFilter(std::optional<Constellation> system);
    std::optional<Constellation> SystemFilter() const { return FFilter; }
    // The context menu's choices: all systems, then one per system.
    QMenu* MakeFilterMenu(QWidget* parent);
    // Where a satellite number's text stands, in the frame's coordinates.
    static QRect LabelTextRect(const QLabel* label);

    TSkyImage* skyImage;
    QLabel* dateLabel;
    QLabel* fixModeLabel;
    QLabel* localTimeLabel;
    QLabel* gmtLabel;
    std::array<TCircleShape*, MarkCount> satMarks{};
    std::array<QLabel*, MarkCount> satLabels{};
    std::array<QLabel*, 4> compassLabels{};
    // Marks of a receiver of several systems, one per satellite in view with
    // its system letter, made as they are first needed.
    std::vector<TCircleShape*> skyMarks;
    std::vector<QLabel*> skyLabels;
    TStaleVeil* staleVeil;

  signals:
    // A click on a satellite's mark.
    void SatelliteClicked(Constellation system, int prn);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    struct Snapshot;
    // A satellite as the plot shows it.
    struct Shown {
        Constellation System;
        int Prn;
        SkyPixel Place;
    };

    void BuildWidgets();
    void BuildMarks();
    void BuildCompass();
    void BuildCornerLabels();
    void Relayout();
    void RedrawCanvas();
    void PlaceCompass();
    void PlaceCornerLabels();
    void ScaleMarks();
    void DrawAxes(const QColor& color);
    void SkyClickAt(QPoint at);
    bool Shows(Constellation system) const;
    int Px(int length) const { return Sky::Scaled(length, FSide); }
    QFont ScaledFont(int points, bool bold = false) const;
    void PlaceLabels(const std::vector<QLabel*>& labels, const std::vector<QWidget*>& marks,
                     const std::vector<QColor>& offMark);
    void ShowStatusTexts(const Snapshot& s);
    void ShowSatellites(const Snapshot& s);
    void PlaceSatellite(int slot, SkyPixel p, bool used, const QColor& color, int prn);
    void ShowAllSystems(const Snapshot& s);
    void MakeSkyMarks(size_t count);
    void PlaceSkyMark(size_t i, const SkySatellite& sat, SkyPixel p, bool used);
    void HideFrom(size_t first);

    NMEA_Manager& FStore;
    GPSConfig& FConfig;
    TLayoutHost* FHost;
    bool FAxesShown = false;
    bool FFullLayout = true;
    QSize FLaidOut;  // the size the plot was laid out for
    int FSide = Sky::Side;
    QPoint FOrigin;                   // the plot square's top-left corner
    std::unique_ptr<Snapshot> FLast;  // the satellites last shown, for a new size
    std::vector<Shown> FShown;        // the satellites on the plot
    std::optional<Constellation> FFilter;
};
