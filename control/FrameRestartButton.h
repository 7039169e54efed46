// The restart panel: "HOT", "WARM", "COLD" and "Factory Rst". A restart goes
// out in the receiver's own protocol (ReceiverProtocol.h): the u-blox CFG-RST
// frame to a receiver that answered UBX, the SiRF $PSRF104 text to one that
// sends NMEA only, and both while the protocol is not known (each kind
// ignores the other's). "Factory Rst" sends the $PSRF104 factory reset. The
// buttons are disabled while no receiver is connected, and a click then sends
// nothing: a restart never waits to replace a later command.
#pragma once

#include <QFrame>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "nmea/ReceiverProtocol.h"

class Connection;

class QToolButton;

class NMEA_Manager;

class TFRestartButton : public QFrame {
    Q_OBJECT

  public:
    using FixTimerHook = std::function<void()>;

    static constexpr int ButtonCount = 4;
    static constexpr int ButtonWidth = 105;
    static constexpr int ButtonHeight = 17;

    // Clears the fix mode in `store`, whose receiver protocol chooses the frames.
    TFRestartButton(QWidget* parent, NMEA_Manager& store);

    void HotClick();
    void WarmClick();
    void ColdClick();
    void FactoryClick();
    // The $PSRF104 text of button `index` (0..3).
    static std::string RestartText(int index);
    // What button `index` sends to a receiver of `protocol`.
    static std::vector<std::string> RestartLines(int index, ReceiverProtocol protocol);
    // Clears the fix mode and, when connected, sends `lines` and starts the
    // time-to-fix counter.
    void SendRestartCommands(std::vector<std::string> lines);
    // Enables the buttons while a receiver is connected.
    void SetLinkOpen(bool open);

    // What starts the position panel's time-to-fix counter.
    void SetFixTimerHook(FixTimerHook hook) { FStartFixTimer = std::move(hook); }
    // The connection the restart commands go out on (none: nothing is sent).
    void SetLink(Connection* link) { FLink = link; }
    // A receive-only link: the buttons are disabled, their tooltip says why.
    void SetSendingAllowed(bool allowed, const std::string& why);

    std::array<QToolButton*, ButtonCount> restartButtons{};

  private:
    void BuildWidgets();
    void RestartClick(int index);
    void EnableButtons();

    NMEA_Manager& FStore;
    FixTimerHook FStartFixTimer;
    Connection* FLink = nullptr;
    bool FLinkOpen = true;
    bool FSendingAllowed = true;
};
