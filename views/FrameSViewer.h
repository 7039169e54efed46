// The sky view: a polar plot of the satellites in view, coloured by signal
// strength and filled when used in the fix, with the local time, GMT, date
// and fix mode in its corners. A click shows or hides the compass axes; a
// double-click switches the main window between its full and compact layout.
// The plot takes the largest centred square of the view, whatever its size.
#pragma once

#include <QFrame>
#include <QLabel>
#include <array>
#include <vector>

#include "link/GpsConfig.h"
#include "nmea/NmeaManager.h"
#include "views/CircleShape.h"
#include "views/LayoutHost.h"
#include "views/SkyImage.h"
#include "views/StaleVeil.h"

class TFSViewer : public QFrame {
    Q_OBJECT
  public:
    static constexpr int MarkCount = GsvMaxSatellites;

    // host may be null (no layout to switch).
    TFSViewer(QWidget* parent, NMEA_Manager& store, GPSConfig& config, TLayoutHost* host);

    void Refresh();
    void DrawBackground();
    void SkyClick();
    void SkyDblClick();
    // Marks the shown data old (link down, receiver silent) or fresh again.
    void SetStale(bool stale) { staleVeil->SetStale(stale); }
    bool Stale() const { return staleVeil->Stale(); }

    bool AxesShown() const { return FAxesShown; }
    bool FullLayout() const { return FFullLayout; }

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

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

  private:
    struct Snapshot;

    void FitToSize();

    void BuildWidgets();
    void BuildMarks();
    void BuildCompass();
    void BuildCornerLabels();
    void DrawAxes(const QColor& color);
    void ShowStatusTexts(const Snapshot& s);
    void ShowSatellites(const Snapshot& s);
    void PlaceSatellite(int slot, int top, int left, bool used, const QColor& color, int prn);
    void ShowAllSystems(const Snapshot& s);
    void MakeSkyMarks(size_t count);
    void PlaceSkyMark(size_t i, const SkySatellite& sat, bool used);
    void HideFrom(size_t first);

    NMEA_Manager& FStore;
    GPSConfig& FConfig;
    TLayoutHost* FHost;
    bool FAxesShown = false;
    bool FFullLayout = true;
};
