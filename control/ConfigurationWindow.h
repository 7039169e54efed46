// The configuration window of receivers configured by keys: every key of the
// key table by group, read from a chosen layer (RAM, BBR, Flash, Default)
// with CFG-VALGET, edited in the table (scaled to its unit, bits as boxes,
// enumerations with their names), applied to the ticked layers with one
// CFG-VALSET (a transaction beyond 64 keys), compared with the Default
// layer, saved to and loaded from a KEY = VALUE file, and cleared from BBR
// or Flash with CFG-VALDEL. Keys the receiver returns that the table lacks
// are shown by id. Every answer is a line in the window's log.
//
// A change that would cut the link (the rate, input or output of the port
// the monitor is connected through) is applied only once the user agrees;
// once the receiver acknowledges a new rate of that port in RAM, the
// connection follows it to the new rate.
//
// The window talks to the receiver one message at a time through the
// connection's command sender; the reader hands it the VALGET answers and
// the acknowledgements on the user-interface thread.
#pragma once

#include <QString>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "ubx/UbxKeyCodec.h"

class Connection;
struct GPSConfig;
struct UbxAckRecord;
struct UbxKeyValuesRecord;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QTimer;

class TConfigurationWindow : public QWidget {
    Q_OBJECT

  public:
    // A yes/no question (true: go on); a file name to save to or load from
    // (empty: cancelled).
    using Question = std::function<bool(const QString& text)>;
    using FileChooser = std::function<QString(bool save)>;
    // How long an answer is waited for before the message counts as unanswered.
    static constexpr std::chrono::milliseconds DefaultAnswerLimit{1500};
    enum Column { ColKey, ColValue, ColUnit, ColDefault, ColMeaning, ColumnCount };
    static constexpr char AllGroups[] = "all groups";

    // Empty choosers ask with a message box and a file dialog.
    TConfigurationWindow(Connection& link, const GPSConfig& config, Question ask = {},
                         FileChooser chooseFile = {}, QWidget* parent = nullptr);

    // From the reader, on the user-interface thread.
    void KeysAnswered(const UbxKeyValuesRecord& answer);
    void UbxAnswered(const UbxAckRecord& answer);

    // A longer wait suits a loaded host or a slow link.
    void SetAnswerLimit(std::chrono::milliseconds limit) { FAnswerLimit = limit; }

    // The buttons' actions.
    void ReadLayer();
    void CompareWithDefault();
    void Apply();
    void SaveFile();
    void LoadFile();
    void DeleteSelected();
    // Whether a message is out and its answer awaited.
    bool Busy() const { return FStep != Step::Idle; }
    // The table row of a key (-1 when it is not shown).
    int RowOf(uint32_t id) const;
    // The value a key was read with in the chosen layer (false: not read).
    bool ReadValue(uint32_t id, uint64_t& raw) const;
    // Whether a shown row differs from the Default layer.
    bool Differs(uint32_t id) const;

    QComboBox* cmbGroup = nullptr;
    QComboBox* cmbLayer = nullptr;
    QComboBox* cmbPort = nullptr;  // the receiver's port the monitor is connected through
    QLineEdit* edtSearch = nullptr;
    QCheckBox* chkDiffOnly = nullptr;
    QTableWidget* tblKeys = nullptr;
    QCheckBox* chkRam = nullptr;
    QCheckBox* chkBbr = nullptr;
    QCheckBox* chkFlash = nullptr;
    QPushButton* btnRead = nullptr;
    QPushButton* btnDefault = nullptr;
    QPushButton* btnApply = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnLoad = nullptr;
    QPushButton* btnDelete = nullptr;
    QLabel* lblStatus = nullptr;
    QPlainTextEdit* txtLog = nullptr;

  private:
    enum class Step { Idle, Reading, Writing, Deleting };
    struct KeyRow {
        bool Read = false;
        uint64_t Value = 0;
        bool HasDefault = false;
        uint64_t Default = 0;
        bool Edited = false;
        uint64_t Edit = 0;
    };

    void BuildWidgets();
    void Refill();
    void FillRow(int row, uint32_t id, const KeyRow& key);
    bool Shown(uint32_t id, const KeyRow& key) const;
    void CellChanged(QTableWidgetItem* item);
    void StartReading(ubxcfg::KeyLayer layer);
    void SendNextPoll();
    bool SendAll(uint8_t messageId, std::vector<std::vector<uint8_t>> payloads);
    void Answered(bool acknowledged, uint8_t messageId);
    void Finish(const QString& status);
    void Log(const QString& line);
    uint8_t TickedLayers() const;
    std::vector<ubxcfg::KeyValue> Edits() const;
    std::vector<uint32_t> ChosenWildcards() const;
    QString AskFile(bool save);
    bool Agree(const QString& text) const;
    void TakeWrittenValues();

    Connection& FLink;
    const GPSConfig& FConfig;
    Question FAsk;
    FileChooser FChooseFile;
    QTimer* FAnswerTimer = nullptr;
    std::map<uint32_t, KeyRow> FKeys;  // every key of the table, and those the receiver added
    bool FFilling = false;

    Step FStep = Step::Idle;
    std::chrono::milliseconds FAnswerLimit = DefaultAnswerLimit;
    uint8_t FAwaited = 0;  // the message id whose answer is awaited
    size_t FMessagesLeft = 0;
    // Reading: the wildcards still to poll, the page of the current one.
    std::deque<uint32_t> FPolls;
    uint16_t FPosition = 0;
    ubxcfg::KeyLayer FReadLayer = ubxcfg::KeyLayer::Ram;
    int FPageValues = 0;
    int FValuesRead = 0;
    // Writing: what went out, and the new rate to follow once it is applied.
    std::vector<ubxcfg::KeyValue> FWritten;
    uint8_t FWrittenLayers = 0;
    uint32_t FFollowBaud = 0;
};
