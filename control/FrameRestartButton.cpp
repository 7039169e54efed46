#include "control/FrameRestartButton.h"

#include <QToolButton>
#include <atomic>
#include <mutex>

#include "link/Connection.h"
#include "nmea/NmeaManager.h"
#include "serial/UbxText.h"

namespace {
struct RestartKind {
    const char* Caption;
    const char* ResetConfig;
    const char* const* UbxFrame;  // the u-blox CFG-RST frame; none for factory reset
};

const RestartKind& Kind(int index) {
    static const RestartKind kinds[TFRestartButton::ButtonCount] = {
        {"HOT", "1", &UbxHotStartFrame},
        {"WARM", "2", &UbxWarmStartFrame},
        {"COLD", "4", &UbxColdStartFrame},
        {"Factory Rst", "8", nullptr},
    };
    return kinds[index];
}

// Latitude, longitude, altitude, clock offset, time of week, week, channels.
constexpr char InitFields[] = "0,0,0,96000,237759,922,12";
constexpr char RestartSentence[] = "$PSRF104,";
constexpr char ClearedFixMode[] = "0";
}  // namespace

TFRestartButton::TFRestartButton(QWidget* parent, NMEA_Manager& store)
    : QFrame(parent), FStore(store) {
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

std::vector<std::string> TFRestartButton::RestartLines(int index, ReceiverProtocol protocol) {
    const char* const* frame = Kind(index).UbxFrame;
    if (!frame) return {RestartText(index)};
    switch (protocol) {
        case ReceiverProtocol::Ubx:
            return {*frame};
        case ReceiverProtocol::Nmea:
            return {RestartText(index)};
        case ReceiverProtocol::Unknown:
            break;
    }
    return {RestartText(index), *frame};
}

void TFRestartButton::RestartClick(int index) {
    ReceiverProtocol protocol;
    {
        std::lock_guard<std::mutex> lock(FStore.Lock());
        protocol = KnownProtocol(FStore);
    }
    SendRestartCommands(RestartLines(index, protocol));
}

void TFRestartButton::SendRestartCommands(std::vector<std::string> lines) {
    {
        std::lock_guard<std::mutex> lock(FStore.Lock());
        FStore.Display.FixModeText = ClearedFixMode;
    }
    if (!FLink || !FLink->Send(std::move(lines))) return;
    if (FStartFixTimer) FStartFixTimer();
}

void TFRestartButton::SetSendingAllowed(bool allowed, const std::string& why) {
    FSendingAllowed = allowed;
    for (QToolButton* button : restartButtons)
        button->setToolTip(allowed ? QString() : QString::fromStdString(why));
    EnableButtons();
}

void TFRestartButton::SetLinkOpen(bool open) {
    FLinkOpen = open;
    EnableButtons();
}

// A restart goes out only over an open link that carries commands.
void TFRestartButton::EnableButtons() {
    for (QToolButton* button : restartButtons) button->setEnabled(FLinkOpen && FSendingAllowed);
}
