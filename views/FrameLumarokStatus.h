// The status bar: link state, port and baud rate in three panels. While
// open, the state panel also names the receiver once it told its identity,
// and shows the latest note (the outcome of a UBX frame sent). Given a
// connection, the port and rate are the link's while it is up and the
// current trial's while detection runs, never a selection nothing uses.
//
// The panels are sized to their texts across the bar's width, the state
// panel taking what is left. When the bar is too narrow for every text, the
// rate and port panels give up room first (down to their prefixes), so that
// the receiver and its answer keep as much as can be; a text cut short ends
// in an ellipsis and its panel's tooltip holds it whole.
#pragma once

#include <QFrame>
#include <QLabel>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "link/GpsConfig.h"

class Connection;

class TFLumarokStatus : public QFrame {
    Q_OBJECT
  public:
    static constexpr int PanelCount = 3;

    TFLumarokStatus(QWidget* parent, GPSConfig& config);

    // Where the shown port and rate come from (none: the configuration).
    void SetConnection(const Connection* link) { FLink = link; }
    // Safe from any thread: from a worker thread the update is queued to the GUI thread.
    void Refresh();
    // The receiver's identity and the latest note, on the GUI thread.
    void ShowReceiver(const std::string& identity);
    void ShowNote(const std::string& note);
    // The receiver's differential solution ("RTK fixed, age 1.0 s"), shown
    // after its name while the port is open; "" for none.
    void ShowSolution(const std::string& solution);

    // A panel's whole text; the panel itself may show it cut short.
    QString PanelText(int panel) const { return FTexts.at(panel); }

    std::array<QLabel*, PanelCount> statusPanels{};

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void BuildWidgets();
    Q_INVOKABLE void RefreshHere();
    void SetPanelText(int panel, const QString& text);
    void LayOutPanels();
    int WantedWidth(int panel, const QString& text) const;

    GPSConfig& FConfig;
    const Connection* FLink = nullptr;
    std::string FReceiver;
    std::string FNote;
    std::string FSolution;
    std::array<QString, PanelCount> FTexts;
    QString FPortTip;  // a link's URL, whole whatever the room
};
