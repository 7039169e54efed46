// The corrections window: an NTRIP client that feeds the connected receiver.
// The user names a caster (ntrip://[USER[:PASSWORD]@]HOST[:PORT]/), a
// mountpoint, a user and a password (shown as dots) and how often the
// receiver's position goes to network mountpoints as GGA. "Get table" lists
// the caster's streams nearest the receiver first; a row chosen fills the
// mountpoint. Connect streams the corrections to the receiver over its link,
// byte for byte, as raw-byte commands of the link's command sender, so that
// they interleave with other commands without splitting either. The state,
// the bytes, the rate and the age of the last correction are shown, and
// every message of the client (each reconnection attempt once) is listed in
// the window, never with the password.
//
// Threads: the client and the table fetch run on threads of their own; what
// they hand over reaches the window through the user-interface dispatcher,
// and work that arrives after the window is gone is dropped.
#pragma once

#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ntrip/NtripClient.h"
#include "ntrip/SourceTable.h"
#include "serial/Source.h"

class Connection;
class NMEA_Manager;
class UiDispatcher;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

// Why corrections cannot go to the receiver now ("" when they can): no link
// is open, or the open link only receives.
std::string CorrectionsRefusal(bool connected, const Source& port);

class TCorrectionsWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* Title = "Corrections (NTRIP)";
    static constexpr int RefreshMs = 500;

    TCorrectionsWindow(NMEA_Manager& store, Connection& link, UiDispatcher& dispatcher,
                       QWidget* parent = nullptr);
    ~TCorrectionsWindow() override;

    // The address the fields make: the caster's, with the user, password and
    // mountpoint of their fields where given. False with the reason.
    bool Address(NtripUrl& url, std::string& error) const;

    void GetTable();
    void ConnectClick();
    void Disconnect();
    bool Streaming() const { return FClient != nullptr; }
    // Called once a connection's first corrections have gone to the receiver
    // (a campaign may start its runs then).
    void SetStartedHook(std::function<void()> hook) { FOnStarted = std::move(hook); }

    // The caster as the settings keep it: without a password typed into it.
    std::string KeptCaster() const;
    // The password as the settings keep it (obscured): the password field's,
    // else one typed into the caster's address. SetKeptPassword reads it back.
    std::string KeptPassword() const;
    void SetKeptPassword(const std::string& kept);

    // What the window shows, for the status line and the tests.
    QString StateText() const;
    uint64_t ForwardedBytes() const { return FForwarded; }
    QString Log() const;

    QLineEdit* casterEdit = nullptr;
    QLineEdit* mountEdit = nullptr;
    QLineEdit* userEdit = nullptr;
    QLineEdit* passwordEdit = nullptr;
    QSpinBox* ggaSpin = nullptr;
    QPushButton* tableButton = nullptr;
    QPushButton* connectButton = nullptr;
    QTableWidget* streamTable = nullptr;
    QLabel* stateLabel = nullptr;
    QLabel* bytesLabel = nullptr;
    QLabel* rateLabel = nullptr;
    QLabel* ageLabel = nullptr;
    QPlainTextEdit* logView = nullptr;

  private:
    struct Gate {
        TCorrectionsWindow* Owner = nullptr;
    };

    void BuildWidgets();
    void ShowTable(const SourceTable& table, const std::string& error);
    void ChooseRow(int row);
    void Forward(std::vector<uint8_t> bytes);
    void Say(const std::string& line);
    void Refresh();
    void StopClient(const std::string& why);
    void JoinTableFetch();
    bool MountWantsGga(const NtripUrl& url) const;
    void SetState(const QString& text);

    NMEA_Manager& FStore;
    Connection& FLink;
    UiDispatcher& FDispatcher;
    std::shared_ptr<Gate> FGate;
    std::unique_ptr<NtripClient> FClient;
    std::thread FTableFetch;
    std::atomic<bool> FStopFetch{false};
    SourceTable FTable;
    std::string FTableCaster;  // the caster FTable came from (host:port)
    uint64_t FForwarded = 0;
    bool FStartTold = false;  // this connection's first corrections were told
    std::function<void()> FOnStarted;
    std::string FTableNote;  // said above the stream count when the table arrives
    QTimer* FTimer = nullptr;
};
