#include "control/FrameRestartButton.h"

#include <QToolButton>
#include <atomic>
#include <mutex>

#include "link/Connection.h"
#include "link/RestartCommands.h"
#include "nmea/NmeaManager.h"

namespace {
constexpr const char* Captions[TFRestartButton::ButtonCount] = {"HOT", "WARM", "COLD",
                                                                "Factory Rst"};
constexpr char ClearedFixMode[] = "0";

// The buttons run from the hottest start to the factory reset.
RestartKind KindOf(int index) {
    return static_cast<RestartKind>(index);
}
}  // namespace

TFRestartButton::TFRestartButton(QWidget* parent, NMEA_Manager& store)
    : QFrame(parent), FStore(store) {
    BuildWidgets();
}

void TFRestartButton::BuildWidgets() {
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QToolButton(this);
        button->setText(Captions[i]);
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
    return SirfRestartText(KindOf(index));
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
    return RestartCommandLines(KindOf(index), protocol);
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
        FStore.Display().FixModeText = ClearedFixMode;
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
