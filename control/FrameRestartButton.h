// The restart panel: "HOT", "WARM", "COLD" and "Factory Rst". Each sends the
// receiver a $PSRF104 text; the first three also ask the port to send the
// matching u-blox CFG-RST frame in its place.
#pragma once

#include <QFrame>
#include <array>
#include <functional>
#include <string>

class Connection;

class QToolButton;

class NMEA_Manager;
struct UbxRestartRequests;

class TFRestartButton : public QFrame {
    Q_OBJECT

  public:
    using FixTimerHook = std::function<void()>;

    static constexpr int ButtonCount = 4;
    static constexpr int ButtonWidth = 105;
    static constexpr int ButtonHeight = 17;

    // Clears the fix mode in `store`; raises the u-blox requests in `restarts`.
    TFRestartButton(QWidget* parent, NMEA_Manager& store, UbxRestartRequests& restarts);

    void HotClick();
    void WarmClick();
    void ColdClick();
    void FactoryClick();
    // The $PSRF104 text of button `index` (0..3).
    static std::string RestartText(int index);
    // Clears the fix mode and, when connected, sends `text` and starts the
    // time-to-fix counter.
    void SendRestartCommand(const std::string& text);

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

    NMEA_Manager& FStore;
    UbxRestartRequests& FRestarts;
    FixTimerHook FStartFixTimer;
    Connection* FLink = nullptr;
};
