// The configuration window against the simulator as a generation 10 receiver
// on a pseudo-terminal, through a real connection, reader and command
// sender: a group read from RAM, a change applied to RAM and BBR and read
// back from BBR, the difference from the Default layer, a file saved and
// loaded back, a key deleted from BBR; and a new line rate asked about and,
// once agreed, followed by the monitor, which goes on receiving sentences.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <atomic>
#include <memory>

#include "ControlFixture.h"
#include "control/ConfigurationValues.h"
#include "control/ConfigurationWindow.h"
#include "link/Connection.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/YComPort.h"
#include "shell/QtUiDispatcher.h"
#include "tests/tools/sim/SimOnPort.h"
#include "tests/tools/sim/SimTestSupport.h"
#include "ubx/UbxKeys.h"

namespace {
using namespace std::chrono_literals;
using namespace ubxcfg;
using W = TConfigurationWindow;

constexpr uint32_t FirmwareOnlyKey = 0x10110025;  // a NAVSPG key the simulator has, the table not
constexpr uint32_t LineRate = 115200;

class ConfigurationWindowTest : public ControlFixture {
  protected:
    void SetUp() override {
        ControlFixture::SetUp();
        SimOptions options = FastOptions();
        options.Generation = 10;
        options.Baud = LineRate;
        Sim = std::make_unique<ReceiverSimulator>(options);
        ASSERT_TRUE(ConnectSim(*Sim, Port, *GpsConfig));
        Link = std::make_unique<Connection>(*GpsConfig, &Port);
        Window = std::make_unique<W>(
            *Link, *GpsConfig,
            [this](const QString& text) {
                Questions.push_back(text.toStdString());
                return Agree;
            },
            [this](bool) { return Dir.filePath("receiver.cfg"); });
        Window->SetAnswerLimit(std::chrono::seconds(10));  // a loaded host answers late
        YThread::SetMainDispatcher(&Dispatcher);
        Reader = std::make_unique<TNmeaFetch>(false, [] {});
        Reader->SetPort(&Port);
        Reader->SetStore(NmeaManager);
        Reader->SetKeyValuesHook([this](const UbxKeyValuesRecord& r) { Window->KeysAnswered(r); });
        Reader->SetAnswerHook([this](const UbxAckRecord& a) { Window->UbxAnswered(a); });
        Reader->SetSentenceHook([this](std::string_view, const DispatchResult&) { ++Sentences; });
        Reader->Start();
        Window->show();
    }
    void TearDown() override {
        EXPECT_TRUE(Link->WaitSendersIdle(10s));
        Reader->Terminate();
        Reader->WaitFor();
        Link.reset();
        Port.ClosePort();
        Sim->Stop();
        QCoreApplication::processEvents();
        Window.reset();
        YThread::SetMainDispatcher(nullptr);
        ControlFixture::TearDown();
    }
    // Runs one action of the window to its end.
    void Run(const std::function<void()>& action) {
        action();
        ASSERT_TRUE(Pump([&] { return !Window->Busy(); })) << Status();
    }
    void Choose(QComboBox* box, const char* text) {
        box->setCurrentIndex(box->findText(text));
        ASSERT_GE(box->currentIndex(), 0) << text;
    }
    void Type(uint32_t id, const char* text) {
        const int row = Window->RowOf(id);
        ASSERT_GE(row, 0) << KeyIdText(id);
        Window->tblKeys->item(row, W::ColValue)->setText(text);
        QCoreApplication::processEvents();
    }
    std::string Cell(uint32_t id, int column) const {
        const int row = Window->RowOf(id);
        return row < 0 ? "(not shown)" : Window->tblKeys->item(row, column)->text().toStdString();
    }
    std::string Status() const { return Window->lblStatus->text().toStdString(); }
    std::string LogText() const { return Window->txtLog->toPlainText().toStdString(); }
    uint64_t Value(uint32_t id) const {
        uint64_t raw = 0;
        return Window->ReadValue(id, raw) ? raw : ~0ull;
    }

    QtUiDispatcher Dispatcher;
    QTemporaryDir Dir;
    std::unique_ptr<ReceiverSimulator> Sim;
    YComPort Port;
    std::unique_ptr<TNmeaFetch> Reader;
    std::unique_ptr<Connection> Link;
    std::unique_ptr<W> Window;
    std::vector<std::string> Questions;
    bool Agree = false;
    std::atomic<int> Sentences{0};
};
}  // namespace

TEST_F(ConfigurationWindowTest, ReadsAppliesComparesSavesLoadsAndDeletesKeys) {
    // RATE from RAM: the measurement period shown in seconds.
    Choose(Window->cmbGroup, "RATE");
    Run([&] { Window->btnRead->click(); });
    EXPECT_EQ(Value(KeyRateMeas), 1000u) << Status();
    EXPECT_EQ(Cell(KeyRateMeas, W::ColValue), "1");
    EXPECT_EQ(Cell(KeyRateMeas, W::ColUnit), "s");
    EXPECT_NE(LogText().find("CFG-VALGET (ram) acknowledged"), std::string::npos) << LogText();
    EXPECT_EQ(Window->RowOf(KeyUart1Baud), -1) << "another group's key";

    // MSGOUT fills more than one answer: every page is read.
    Choose(Window->cmbGroup, "MSGOUT");
    Run([&] { Window->btnRead->click(); });
    int outputs = 0;
    for (const KeyInfo& k : KeyTable())
        if (WindowGroupOf(k.Id) == "MSGOUT") {
            ++outputs;
            EXPECT_NE(Value(k.Id), ~0ull) << k.Name;
        }
    EXPECT_GT(outputs, 64);

    // NAVSPG from RAM holds a key the table lacks: shown by its id.
    Choose(Window->cmbGroup, "NAVSPG");
    Run([&] { Window->btnRead->click(); });
    EXPECT_EQ(Cell(FirmwareOnlyKey, W::ColKey), "0x10110025");
    EXPECT_NE(Value(FirmwareOnlyKey), ~0ull);
    // The search narrows the group to matching names.
    Window->edtSearch->setText("dynmodel");
    EXPECT_EQ(Window->tblKeys->rowCount(), 1);
    EXPECT_EQ(Cell(0x20110021, W::ColValue).rfind("0 ", 0), 0u) << Cell(0x20110021, W::ColValue);
    Window->edtSearch->clear();

    // 0.5 s into RAM and BBR: the receiver runs by it, BBR holds it.
    Choose(Window->cmbGroup, "RATE");
    Type(KeyRateMeas, "0.5");
    Window->chkBbr->setChecked(true);
    Run([&] { Window->btnApply->click(); });
    EXPECT_EQ(Sim->Status().PeriodMs, 500u) << Status();
    EXPECT_TRUE(Questions.empty()) << "the period cuts no link";
    EXPECT_NE(LogText().find("CFG-VALSET (ram+bbr) acknowledged"), std::string::npos) << LogText();
    Choose(Window->cmbLayer, "bbr");
    Run([&] { Window->btnRead->click(); });
    EXPECT_EQ(Value(KeyRateMeas), 500u) << Status();
    EXPECT_EQ(Value(KeyRateNav), ~0ull) << "BBR holds only what was written to it";

    // Against the Default layer only the period differs.
    Run([&] { Window->btnDefault->click(); });
    EXPECT_TRUE(Window->Differs(KeyRateMeas));
    EXPECT_EQ(Cell(KeyRateMeas, W::ColDefault), "1");
    Window->chkDiffOnly->setChecked(true);
    EXPECT_EQ(Window->tblKeys->rowCount(), 1);
    Window->chkDiffOnly->setChecked(false);

    // Saved, edited on disk, loaded and applied to RAM alone.
    Window->btnSave->click();
    QFile file(Dir.filePath("receiver.cfg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString saved = file.readAll();
    file.close();
    EXPECT_TRUE(saved.contains("CFG-RATE-MEAS = 500\n")) << saved.toStdString();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QString(saved).replace("= 500", "= 250").toUtf8());
    file.close();
    Window->btnLoad->click();
    EXPECT_EQ(Cell(KeyRateMeas, W::ColValue), "0.25") << Status();
    Window->chkBbr->setChecked(false);
    Run([&] { Window->btnApply->click(); });
    EXPECT_EQ(Sim->Status().PeriodMs, 250u) << Status();

    // Deleted from BBR: BBR holds none of the group any more.
    Window->tblKeys->selectRow(Window->RowOf(KeyRateMeas));
    Window->chkRam->setChecked(false);
    Window->chkBbr->setChecked(true);
    Run([&] { Window->btnDelete->click(); });
    EXPECT_NE(LogText().find("CFG-VALDEL (bbr) acknowledged"), std::string::npos) << LogText();
    Run([&] { Window->btnRead->click(); });
    EXPECT_EQ(Value(KeyRateMeas), ~0ull) << Status();
    EXPECT_NE(LogText().find("CFG-VALGET (bbr) refused"), std::string::npos) << LogText();

    if (qEnvironmentVariableIsSet("LUMAROKUB_SCREENSHOT_DIR")) {
        Choose(Window->cmbGroup, "NAVSPG");
        Choose(Window->cmbLayer, "ram");
        Run([&] { Window->btnRead->click(); });
        Run([&] { Window->btnDefault->click(); });
        Type(0x20110021, "4");
        Window->grab().save(qEnvironmentVariable("LUMAROKUB_SCREENSHOT_DIR") +
                            "/configuration-window.png");
    }
}

TEST_F(ConfigurationWindowTest, AsksBeforeANewRateAndFollowsTheReceiverToIt) {
    Choose(Window->cmbGroup, "UART1");
    Run([&] { Window->btnRead->click(); });
    EXPECT_EQ(Value(KeyUart1Baud), LineRate) << Status();
    Type(KeyUart1Baud, "38400");

    // Declined: nothing goes out.
    const int commands = Sim->Status().Commands;
    Window->btnApply->click();
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_NE(Questions[0].find("CFG-UART1-BAUDRATE: UART1 changes from 115200 to 38400 Bd"),
              std::string::npos)
        << Questions[0];
    EXPECT_FALSE(Window->Busy());
    EXPECT_TRUE(Link->WaitSendersIdle(5s));
    EXPECT_EQ(Sim->Status().Commands, commands);

    // Agreed: the receiver acknowledges at the old rate, then both go on at the new one.
    Agree = true;
    Run([&] { Window->btnApply->click(); });
    EXPECT_EQ(Questions.size(), 2u);
    EXPECT_NE(Status().find("Following the receiver to 38400 Bd."), std::string::npos) << Status();
    EXPECT_EQ(Port.BaudRate(), 38400u);
    EXPECT_EQ(GpsConfig->BaudRate.load(), 38400);
    ASSERT_TRUE(
        WaitFor([&] { return Sim->Status().Baud == 38400 && !Sim->Status().Mismatched; }, 5s));
    const int before = Sentences.load();
    EXPECT_TRUE(Pump([&] { return Sentences.load() > before + 10; }))
        << "no sentences at the new rate";
    EXPECT_FALSE(Sim->Status().Mismatched);
}

TEST(ConfigurationValues, ShownAsTheUserReadsAndTypesThem) {
    struct Case {
        uint32_t Id;
        uint64_t Raw;
        const char* Shown;
        std::vector<const char*> Typed;  // each parses back to Raw
    };
    const Case cases[] = {
        {KeyRateMeas, 200, "0.2", {"0.2", " 0.200 ", "2e-1"}},
        {0x401100c1, 0xFFFFFF9C, "-1", {"-1", "-1.00"}},  // CONSTR_ALT I4 in 0.01 m
        {0x20110021, 4, "4 automotive", {"4", "4 automotive"}},
        {0x20110021, 1, "1", {"1"}},  // no name: no such model
        {KeyUart1InUbx, 1, "on", {"on", "1", "true"}},
        {KeyUart1InUbx, 0, "off", {"off", "0"}},
        {KeyUart1Baud, 9600, "9600", {"9600"}},
        {FirmwareOnlyKey, 1, "1", {"1"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShownValue(c.Id, c.Raw), c.Shown) << KeyIdText(c.Id);
        for (const char* typed : c.Typed) {
            uint64_t raw = 99;
            EXPECT_TRUE(ParseShownValue(c.Id, typed, raw)) << typed;
            EXPECT_EQ(raw, c.Raw) << KeyIdText(c.Id) << " typed " << typed;
        }
    }
    uint64_t raw = 0;
    for (auto [id, typed] : std::vector<std::pair<uint32_t, const char*>>{
             {KeyRateMeas, "0.0005"},  // between two steps of 1 ms
             {KeyRateMeas, "70"},      // beyond U2 in ms
             {KeyRateMeas, "fast"},
             {KeyUart1InUbx, "maybe"},
             {KeyUart1Baud, "-1"}})
        EXPECT_FALSE(ParseShownValue(id, typed, raw)) << KeyIdText(id) << " " << typed;
    EXPECT_EQ(WindowGroupOf(KeyUart1OutNmea), "UART1");
    EXPECT_EQ(WindowGroupOf(KeyUsbInUbx), "USB");
    EXPECT_EQ(WindowGroupOf(FirmwareOnlyKey), "NAVSPG");
    EXPECT_EQ(GroupWildcards("UART1"), (std::vector<uint32_t>{0x00520FFF, 0x00730FFF, 0x00740FFF}));
}
