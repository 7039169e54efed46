// The u-blox "NMEA Setting" window: which NMEA sentences the receiver emits
// on USB and UART, and its measurement period. OK sends seven CFG-MSG frames
// and one CFG-RATE frame; choices that would silence every output are sent
// only once the user confirms them.
//
// Shown while a receiver that may be a u-blox one is connected (it answered
// UBX, or its protocol is not known yet), the window polls CFG-MSG for each
// sentence it lists and CFG-RATE, and shows what the receiver answers. OK
// waits for the answers; what is not answered within PollLimit keeps the
// window's last choices, and a line under OK says so.
//
// A receiver configured by keys (its MON-VER says generation 9 or later) is
// read and written the same with CFG-VALGET and CFG-VALSET
// (NmeaKeyChoices.h), into the layers ticked under the choices (RAM alone
// unless the user ticks BBR or Flash too).
#pragma once

#include <QWidget>
#include <array>
#include <chrono>
#include <string>
#include <vector>

class Connection;
class NMEA_Manager;
class QCheckBox;
class QTimer;
struct UbxSettingAnswer;
struct UbxKeyValuesRecord;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

class TFmNmeaChoice_ub : public QWidget {
    Q_OBJECT

  public:
    static constexpr int MessageCount = 7;
    static constexpr std::chrono::milliseconds PollLimit{1500};

    explicit TFmNmeaChoice_ub(QWidget* parent = nullptr);

    // The connection OK sends on (none: it is never connected).
    void SetLink(Connection* link) { FLink = link; }
    // The store that tells the receiver's protocol (none: never polled).
    void SetStore(NMEA_Manager* store) { FStore = store; }

    // Asks the receiver for its settings when it may be a u-blox receiver.
    void ReadReceiverSettings();
    // The receiver's answer to one poll (from the reader, on the GUI thread).
    void SettingAnswered(const UbxSettingAnswer& answer);
    // A CFG-VALGET answer (from the reader, on the GUI thread).
    void KeysAnswered(const UbxKeyValuesRecord& answer);
    // Whether the connected receiver is configured by keys (decided when
    // the window reads the receiver's settings).
    bool ByKeys() const { return FByKeys; }
    bool Polling() const { return FPolling; }
    // The eight poll frames: CFG-MSG for each listed sentence, then CFG-RATE.
    static std::vector<std::string> PollFrames();

    void edtPeriodChange();
    void btnSettingOKClick();
    // The eight frame texts OK sends for the current choices.
    std::vector<std::string> SettingFrames() const;
    // The period as UBX sends it, or an empty text when `text` is not accepted.
    static std::string PeriodHex(const QString& text);

    QGroupBox* gpbOutput = nullptr;
    QCheckBox* chkUart = nullptr;
    QCheckBox* chkUSB = nullptr;
    QGroupBox* gpbMessage = nullptr;
    QCheckBox* chkGGA = nullptr;
    QCheckBox* chkGLL = nullptr;
    QCheckBox* chkGSA = nullptr;
    QCheckBox* chkGSV = nullptr;
    QCheckBox* chkRMC = nullptr;
    QCheckBox* chkVTG = nullptr;
    QCheckBox* chkZDA = nullptr;
    QGroupBox* gpbRate = nullptr;
    QLabel* lblPeriod = nullptr;
    QLabel* lblFrequency = nullptr;
    QLabel* lblms = nullptr;
    QLabel* lblHz = nullptr;
    QLineEdit* edtPeriod = nullptr;
    QLineEdit* edtFrequency = nullptr;
    QPushButton* btnSettingOK = nullptr;
    // One short line under OK: whether the choices shown are the receiver's.
    QLabel* lblPolled = nullptr;
    // The last accepted measurement period, four hexadecimal digits, low byte first.
    std::string UbxMeasPeriodHex = "E803";
    // The layers a receiver configured by keys is written to (shown for one).
    QGroupBox* gpbLayers = nullptr;
    QCheckBox* chkRam = nullptr;
    QCheckBox* chkBbr = nullptr;
    QCheckBox* chkFlash = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    // Escape closes the window, as it closes a dialog.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildOutputGroup();
    void BuildMessageGroup();
    void BuildRateGroup();
    void SetTabOrder();
    std::array<QCheckBox*, MessageCount> MessageBoxes() const;
    bool MayBeUblox() const;
    void FinishPolling();
    void ApplyMessageAnswers();
    bool SilencesEveryOutput() const;
    void BuildLayerGroup();
    bool ReceiverTakesKeys() const;
    void ShowLayers(bool shown);
    bool SendKeys();
    uint8_t TickedLayers() const;

    // What one CFG-MSG answer said of one listed sentence.
    struct MessageAnswer {
        bool Answered = false;
        bool OnUart = false;
        bool OnUsb = false;
        bool PerTarget = false;  // the long form, which tells the targets apart
    };

    Connection* FLink = nullptr;
    NMEA_Manager* FStore = nullptr;
    QTimer* FPollTimer = nullptr;
    bool FPolling = false;
    bool FRateAnswered = false;
    bool FByKeys = false;
    std::array<MessageAnswer, MessageCount> FAnswers{};
};
