// The status bar: link state, port and baud rate in three fixed-width panels.
// While open, the state panel also names the receiver once it told its
// identity, and shows the latest note (the outcome of a UBX frame sent).
// Given a connection, the port and rate are the link's while it is up and the
// current trial's while detection runs, never a selection nothing uses.
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
    // The name shown for a port number (for example "ttyUSB0").
    using PortNameLookup = std::function<std::string(int32_t)>;

    static constexpr int PortPanelWidth = 65;
    static constexpr int RatePanelWidth = 100;

    TFLumarokStatus(QWidget* parent, GPSConfig& config);

    void SetPortNameLookup(PortNameLookup lookup) { FPortName = std::move(lookup); }
    // Where the shown port and rate come from (none: the configuration).
    void SetConnection(const Connection* link) { FLink = link; }
    // Safe from any thread: from a worker thread the update is queued to the GUI thread.
    void Refresh();
    // The receiver's identity and the latest note, on the GUI thread.
    void ShowReceiver(const std::string& identity);
    void ShowNote(const std::string& note);

    QString PanelText(int panel) const { return statusPanels.at(panel)->text(); }

    std::array<QLabel*, 3> statusPanels{};

  private:
    void BuildWidgets();
    Q_INVOKABLE void RefreshHere();

    GPSConfig& FConfig;
    PortNameLookup FPortName;
    const Connection* FLink = nullptr;
    std::string FReceiver;
    std::string FNote;
};
