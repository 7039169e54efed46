#include "control/CorrectionsWindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <mutex>

#include "link/Command.h"
#include "link/Connection.h"
#include "nmea/NmeaManager.h"
#include "nmea/StationBaseline.h"
#include "ntrip/ObscuredText.h"
#include "serial/LinkUrl.h"
#include "thread/UiDispatcher.h"

namespace {

constexpr char TableCaption[] = "Get table";
constexpr char ConnectCaption[] = "Connect";
constexpr char DisconnectCaption[] = "Disconnect";
constexpr char CasterHint[] = "ntrip://[USER[:PASSWORD]@]HOST[:PORT]/";
constexpr char LinkClosedText[] = "the receiver's link closed: corrections stopped";
constexpr char NoMountText[] = "choose a mountpoint (\"Get table\" lists the caster's streams)";
constexpr int MaxGgaIntervalS = 3600;
constexpr int LogLines = 500;
constexpr int WindowWidth = 760;
constexpr int WindowHeight = 520;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The columns of the stream list, in order.
struct StreamColumn {
    const char* Title;
    QString (*Cell)(const NtripStream&);
};

const StreamColumn StreamColumns[] = {
    {"Mountpoint", [](const NtripStream& s) { return Text(s.Mount); }},
    {"Identifier", [](const NtripStream& s) { return Text(s.Identifier); }},
    {"Format", [](const NtripStream& s) { return Text(s.Format); }},
    {"Format details", [](const NtripStream& s) { return Text(s.FormatDetails); }},
    {"Systems", [](const NtripStream& s) { return Text(s.NavSystems); }},
    {"Position",
     [](const NtripStream& s) {
         return QString("%1, %2").arg(s.Latitude, 0, 'f', 2).arg(s.Longitude, 0, 'f', 2);
     }},
    {"Distance",
     [](const NtripStream& s) {
         return s.DistanceKm < 0 ? QString() : QString("%1 km").arg(s.DistanceKm, 0, 'f', 1);
     }},
};
constexpr int StreamColumnCount = static_cast<int>(std::size(StreamColumns));

std::string CasterKey(const NtripUrl& url) {
    return url.Host + ":" + std::to_string(url.Port);
}

}  // namespace

std::string CorrectionsRefusal(bool connected, const Source& port) {
    if (!connected)
        return "no receiver is connected: open its port first, the corrections go to the "
               "receiver over its link";
    if (!port.IsLink()) return {};
    const std::string& url = port.Text();
    if (TextCanSend(url)) return {};
    return url + " only receives, so corrections cannot reach the receiver; use its serial " +
           "port or a tcp:// link";
}

TCorrectionsWindow::TCorrectionsWindow(NMEA_Manager& store, Connection& link,
                                       UiDispatcher& dispatcher, QWidget* parent)
    : QWidget(parent, Qt::Window),
      FStore(store),
      FLink(link),
      FDispatcher(dispatcher),
      FGate(std::make_shared<Gate>()) {
    FGate->Owner = this;
    setWindowTitle(Title);
    BuildWidgets();
    FTimer = new QTimer(this);
    connect(FTimer, &QTimer::timeout, this, [this] { Refresh(); });
    FTimer->start(RefreshMs);
}

TCorrectionsWindow::~TCorrectionsWindow() {
    FGate->Owner = nullptr;
    if (FClient) {
        FClient->Terminate();
        FClient->WaitFor();
    }
    JoinTableFetch();
}

void TCorrectionsWindow::BuildWidgets() {
    casterEdit = new QLineEdit(this);
    casterEdit->setPlaceholderText(CasterHint);
    mountEdit = new QLineEdit(this);
    userEdit = new QLineEdit(this);
    passwordEdit = new QLineEdit(this);
    passwordEdit->setEchoMode(QLineEdit::Password);
    ggaSpin = new QSpinBox(this);
    ggaSpin->setRange(0, MaxGgaIntervalS);
    ggaSpin->setValue(static_cast<int>(NtripClientConfig::DefaultGgaIntervalS));
    ggaSpin->setSuffix(" s");
    ggaSpin->setSpecialValueText("never");
    ggaSpin->setToolTip("How often the receiver's position goes to a network mountpoint as GGA");

    auto* form = new QFormLayout;
    form->addRow("Caster", casterEdit);
    form->addRow("Mountpoint", mountEdit);
    form->addRow("User", userEdit);
    form->addRow("Password", passwordEdit);
    form->addRow("GGA every", ggaSpin);

    tableButton = new QPushButton(TableCaption, this);
    connectButton = new QPushButton(ConnectCaption, this);
    connect(tableButton, &QPushButton::clicked, this, [this] { GetTable(); });
    connect(connectButton, &QPushButton::clicked, this, [this] { ConnectClick(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tableButton);
    buttons->addWidget(connectButton);
    buttons->addStretch();

    streamTable = new QTableWidget(0, StreamColumnCount, this);
    QStringList titles;
    for (const StreamColumn& column : StreamColumns) titles << column.Title;
    streamTable->setHorizontalHeaderLabels(titles);
    streamTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    streamTable->setSelectionMode(QAbstractItemView::SingleSelection);
    streamTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    streamTable->verticalHeader()->hide();
    streamTable->horizontalHeader()->setStretchLastSection(true);
    connect(streamTable, &QTableWidget::cellClicked, this,
            [this](int row, int) { ChooseRow(row); });

    stateLabel = new QLabel("not connected", this);
    stateLabel->setWordWrap(true);
    stateLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bytesLabel = new QLabel("Bytes: 0", this);
    rateLabel = new QLabel("Rate: -", this);
    ageLabel = new QLabel("Age: -", this);
    auto* figures = new QHBoxLayout;
    for (QLabel* label : {bytesLabel, rateLabel, ageLabel}) figures->addWidget(label);
    figures->addStretch();

    logView = new QPlainTextEdit(this);
    logView->setReadOnly(true);
    logView->setMaximumBlockCount(LogLines);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(streamTable, 3);
    layout->addWidget(stateLabel);
    layout->addLayout(figures);
    layout->addWidget(logView, 1);
    resize(WindowWidth, WindowHeight);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

bool TCorrectionsWindow::Address(NtripUrl& url, std::string& error) const {
    const std::string caster = casterEdit->text().trimmed().toStdString();
    if (caster.empty()) {
        error = std::string("name the caster: ") + CasterHint;
        return false;
    }
    if (!ParseNtripUrl(caster, url, error)) return false;
    const std::string user = userEdit->text().trimmed().toStdString();
    if (!user.empty()) url.User = user;
    if (!passwordEdit->text().isEmpty()) url.Password = passwordEdit->text().toStdString();
    const std::string mount = mountEdit->text().trimmed().toStdString();
    if (!mount.empty()) url.Mount = mount;
    return true;
}

std::string TCorrectionsWindow::KeptCaster() const {
    NtripUrl url;
    std::string error;
    const std::string caster = casterEdit->text().trimmed().toStdString();
    if (!ParseNtripUrl(caster, url, error)) return {};
    return url.Shown();
}

std::string TCorrectionsWindow::KeptPassword() const {
    std::string password = passwordEdit->text().toStdString();
    NtripUrl url;
    std::string error;
    if (password.empty() && ParseNtripUrl(casterEdit->text().trimmed().toStdString(), url, error))
        password = url.Password;
    return password.empty() ? std::string() : ObscureText(password);
}

void TCorrectionsWindow::SetKeptPassword(const std::string& kept) {
    std::string plain;
    if (RevealText(kept, plain)) passwordEdit->setText(Text(plain));
}

void TCorrectionsWindow::SetState(const QString& text) {
    stateLabel->setText(text);
}

QString TCorrectionsWindow::StateText() const {
    return stateLabel->text();
}

QString TCorrectionsWindow::Log() const {
    return logView->toPlainText();
}

void TCorrectionsWindow::Say(const std::string& line) {
    logView->appendPlainText(Text(line));
}

void TCorrectionsWindow::JoinTableFetch() {
    FStopFetch = true;
    if (FTableFetch.joinable()) FTableFetch.join();
    FStopFetch = false;
}

void TCorrectionsWindow::GetTable() {
    NtripUrl url;
    std::string error;
    if (!Address(url, error)) {
        SetState(Text(error));
        return;
    }
    JoinTableFetch();
    tableButton->setEnabled(false);
    SetState(Text("fetching the source table of " + CasterKey(url)));
    FTableFetch = std::thread([this, url, gate = FGate] {
        SourceTable table;
        std::string problem;
        FetchSourceTable(url, NtripLimits{}, FStopFetch, table, problem);
        FDispatcher.Queue([gate, table = std::move(table), problem, key = CasterKey(url)] {
            if (!gate->Owner) return;
            gate->Owner->FTableCaster = key;
            gate->Owner->ShowTable(table, problem);
        });
    });
}

void TCorrectionsWindow::ShowTable(const SourceTable& table, const std::string& error) {
    tableButton->setEnabled(true);
    if (!error.empty()) {
        FTableNote.clear();
        SetState(Text("source table: " + error));
        Say("source table: " + error);
        return;
    }
    FTable = table;
    Geodetic here;
    bool known = false;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        known = ReceiverPosition(FStore, here);
    }
    if (known) SortByDistance(FTable, here.Latitude, here.Longitude);
    streamTable->setRowCount(static_cast<int>(FTable.Streams.size()));
    const QString mount = mountEdit->text().trimmed();
    for (int row = 0; row < streamTable->rowCount(); ++row) {
        const NtripStream& stream = FTable.Streams[static_cast<size_t>(row)];
        for (int column = 0; column < StreamColumnCount; ++column)
            streamTable->setItem(row, column,
                                 new QTableWidgetItem(StreamColumns[column].Cell(stream)));
        if (!mount.isEmpty() && Text(stream.Mount) == mount) streamTable->selectRow(row);
    }
    streamTable->resizeColumnsToContents();
    const std::string count = std::to_string(FTable.Streams.size()) + " streams";
    const std::string order = known ? ", nearest first" : " (no receiver position: as listed)";
    SetState(Text((FTableNote.empty() ? "" : FTableNote + "\n") + count + order));
    FTableNote.clear();
}

void TCorrectionsWindow::ChooseRow(int row) {
    if (row < 0 || row >= static_cast<int>(FTable.Streams.size())) return;
    mountEdit->setText(Text(FTable.Streams[static_cast<size_t>(row)].Mount));
}

bool TCorrectionsWindow::MountWantsGga(const NtripUrl& url) const {
    if (FTableCaster == CasterKey(url))
        if (const NtripStream* stream = FTable.Find(url.Mount)) return stream->NeedsGga;
    // Not in a table seen: the position goes out when due; a caster that
    // does not need it passes it over.
    return true;
}

void TCorrectionsWindow::ConnectClick() {
    if (FClient) {
        Disconnect();
        return;
    }
    const std::string refusal = CorrectionsRefusal(FLink.Connected(), FLink.Shown().Port);
    if (!refusal.empty()) {
        SetState(Text(refusal));
        Say(refusal);
        return;
    }
    NtripClientConfig config;
    std::string error;
    if (!Address(config.Url, error)) {
        SetState(Text(error));
        return;
    }
    if (config.Url.Mount.empty()) {
        SetState(NoMountText);
        return;
    }
    config.SendGga = MountWantsGga(config.Url);
    config.GgaIntervalS = static_cast<unsigned>(ggaSpin->value());
    auto sink = [gate = FGate, &dispatcher = FDispatcher](const uint8_t* data, size_t size) {
        dispatcher.Queue([gate, bytes = std::vector<uint8_t>(data, data + size)]() mutable {
            if (gate->Owner) gate->Owner->Forward(std::move(bytes));
        });
    };
    auto say = [gate = FGate, &dispatcher = FDispatcher](const std::string& line) {
        dispatcher.Queue([gate, line] {
            if (gate->Owner) gate->Owner->Say(line);
        });
    };
    FStartTold = false;
    FClient = std::make_unique<NtripClient>(config, sink, say);
    FClient->Start();
    FClient->Resume();
    connectButton->setText(DisconnectCaption);
    SetState(Text("connecting to " + config.Url.Shown()));
}

void TCorrectionsWindow::Disconnect() {
    StopClient("disconnected");
}

void TCorrectionsWindow::StopClient(const std::string& why) {
    if (FClient) {
        FClient->Terminate();
        FClient->WaitFor();
        FClient.reset();
    }
    connectButton->setText(ConnectCaption);
    if (!why.empty()) {
        SetState(Text(why));
        Say(why);
    }
}

void TCorrectionsWindow::Forward(std::vector<uint8_t> bytes) {
    if (!FClient) return;
    const size_t size = bytes.size();
    std::vector<Command> commands(1);
    commands[0].Value.emplace<RawBytes>().Bytes.swap(bytes);
    if (!FLink.Submit(std::move(commands))) {
        StopClient(LinkClosedText);
        return;
    }
    FForwarded += size;
    if (FStartTold) return;
    FStartTold = true;
    if (FOnStarted) FOnStarted();
}

void TCorrectionsWindow::Refresh() {
    if (!FClient) return;
    if (!FLink.Connected()) {
        StopClient(LinkClosedText);
        return;
    }
    GgaPosition position;
    bool known = false;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        Geodetic here;
        known = ReceiverPosition(FStore, here);
        position = {here.Latitude, here.Longitude, here.Height};
    }
    if (known) FClient->SetPosition(position);
    const NtripStatus status = FClient->Status();
    bytesLabel->setText(
        QString("Bytes: %1 (to the receiver %2)").arg(status.Bytes).arg(FForwarded));
    rateLabel->setText(QString("Rate: %1 B/s").arg(status.RateBps, 0, 'f', 0));
    ageLabel->setText(status.AgeS < 0 ? QString("Age: -")
                                      : QString("Age: %1 s").arg(status.AgeS, 0, 'f', 1));
    switch (status.Phase) {
        case NtripPhase::Connecting:
        case NtripPhase::Streaming:
        case NtripPhase::Stopped:
            SetState(NtripPhaseText(status.Phase));
            break;
        case NtripPhase::Waiting:
            SetState(Text(status.LastError + "; reconnection attempt " +
                          std::to_string(status.Attempt)));
            break;
        case NtripPhase::Failed:
            StopClient({});
            SetState(Text(status.LastError));
            // No such mountpoint: the streams there are, to choose again.
            if (status.MountMissing) {
                GetTable();
                FTableNote = status.LastError + "; the caster's streams are listed again";
                SetState(Text(FTableNote));
            }
            break;
    }
}
