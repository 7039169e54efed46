// The u-blox "NMEA Setting" window: which NMEA sentences the receiver emits
// on USB and UART, and its measurement period. OK sends seven CFG-MSG frames
// and one CFG-RATE frame.
#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <vector>

class Connection;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The last accepted measurement period, four hexadecimal digits, low byte first.
extern std::string UbxMeasPeriodHex;

class TFmNmeaChoice_ub : public QWidget {
    Q_OBJECT

  public:
    static constexpr int MessageCount = 7;

    explicit TFmNmeaChoice_ub(QWidget* parent = nullptr);

    // The connection OK sends on (none: it is never connected).
    void SetLink(Connection* link) { FLink = link; }

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

  private:
    void BuildOutputGroup();
    void BuildMessageGroup();
    void BuildRateGroup();
    void SetTabOrder();
    std::array<QCheckBox*, MessageCount> MessageBoxes() const;

    Connection* FLink = nullptr;
};

extern TFmNmeaChoice_ub* FmNmeaChoice_ub;
