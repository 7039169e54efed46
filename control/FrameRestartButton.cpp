#include "control/FrameRestartButton.h"

#include <QToolButton>
#include <atomic>
#include <mutex>

#include "link/Connection.h"
#include "link/UbxRestart.h"
#include "nmea/NmeaManager.h"

namespace {
struct RestartKind {
    const char* Caption;
    const char* ResetConfig;
    std::atomic<bool> UbxRestartRequests::*
        Pending;  // the u-blox frame to send instead; none for factory reset
};

const RestartKind& Kind(int index) {
    static const RestartKind kinds[TFRestartButton::ButtonCount] = {
        {"HOT", "1", &UbxRestartRequests::Hot},
        {"WARM", "2", &UbxRestartRequests::Warm},
        {"COLD", "4", &UbxRestartRequests::Cold},
        {"Factory Rst", "8", nullptr},
    };
    return kinds[index];
}

// Latitude, longitude, altitude, clock offset, time of week, week, channels.
constexpr char InitFields[] = "0,0,0,96000,237759,922,12";
constexpr char RestartSentence[] = "$PSRF104,";
constexpr char ClearedFixMode[] = "0";
}  // namespace

TFRestartButton::TFRestartButton(QWidget* parent, NMEA_Manager& store, UbxRestartRequests& restarts)
    : QFrame(parent), FStore(store), FRestarts(restarts) {
    BuildWidgets();
}

void TFRestartButton::BuildWidgets() {
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QToolButton(this);
        button->setText(Kind(i).Caption);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(0, ButtonHeight * i, ButtonWidth, ButtonHeight);
        restartButtons[i] = button;
    }
    connect(restartButtons[0], &QToolButton::clicked, this, [this] { HotClick(); });
    connect(restartButtons[1], &QToolButton::clicked, this, [this] { WarmClick(); });
    connect(restartButtons[2], &QToolButton::clicked, this, [this] { ColdClick(); });
    connect(restartButtons[3], &QToolButton::clicked, this, [this] { FactoryClick(); });
}

std::string TFRestartButton::RestartText(int index) {
    return std::string(RestartSentence) + InitFields + "," + Kind(index).ResetConfig + "*";
}

void TFRestartButton::HotClick() {
    RestartClick(0);
}
void TFRestartButton::WarmClick() {
    RestartClick(1);
}
void TFRestartButton::ColdClick() {
    RestartClick(2);
}
void TFRestartButton::FactoryClick() {
    RestartClick(3);
}

void TFRestartButton::RestartClick(int index) {
    // Raised before the sender exists, so its first send sees it.
    if (Kind(index).Pending) (FRestarts.*Kind(index).Pending).store(true);
    SendRestartCommand(RestartText(index));
}

void TFRestartButton::SendRestartCommand(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(FStore.Lock());
        FStore.Display.FixModeText = ClearedFixMode;
    }
    if (!FLink || !FLink->Send({text})) return;
    if (FStartFixTimer) FStartFixTimer();
}

void TFRestartButton::SetSendingAllowed(bool allowed, const std::string& why) {
    for (QToolButton* button : restartButtons) {
        button->setEnabled(allowed);
        button->setToolTip(allowed ? QString() : QString::fromStdString(why));
    }
}
