#include "control/ConfigurationWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "control/ConfigurationValues.h"
#include "link/Connection.h"
#include "link/GpsConfig.h"
#include "ubx/UbxKeyFile.h"
#include "ubx/UbxKeys.h"
#include "ubx/UbxLinkCut.h"
#include "ubx/UbxRecords.h"
#include "views/MessageBox.h"

using namespace ubxcfg;

namespace {
constexpr char Title[] = "Receiver configuration (keys)";
constexpr char Caption[] = "Receiver configuration";
constexpr int WindowWidth = 860;
constexpr int WindowHeight = 620;
constexpr int LogLines = 200;
constexpr int LogHeight = 110;
constexpr const char* ColumnNames[] = {"Key", "Value", "Unit", "Default", "Meaning"};
constexpr KeyLayer ReadLayers[] = {KeyLayer::Ram, KeyLayer::Bbr, KeyLayer::Flash,
                                   KeyLayer::Default};
constexpr KeyPort LinkPorts[] = {KeyPort::Uart1, KeyPort::Uart2, KeyPort::Usb};
constexpr char FileFilter[] = "Key files (*.cfg *.txt);;All files (*)";
const QColor DiffersColour(255, 236, 179);
const QColor EditedColour(200, 230, 255);

const char* MessageName(uint8_t id) {
    return id == UbxIdValSet ? "CFG-VALSET" : id == UbxIdValGet ? "CFG-VALGET" : "CFG-VALDEL";
}

QString LayerList(uint8_t layers) {
    QStringList names;
    for (KeyLayer layer : {KeyLayer::Ram, KeyLayer::Bbr, KeyLayer::Flash})
        if (layers & (1u << static_cast<unsigned>(layer))) names << LayerName(layer);
    return names.join('+');
}

Command CfgCommand(uint8_t id, std::vector<uint8_t> payload) {
    Command c;
    c.Value = UbxFrame{UbxClassCfgKeys, id, std::move(payload)};
    c.AwaitAnswer = true;
    return c;
}
}  // namespace

TConfigurationWindow::TConfigurationWindow(Connection& link, const GPSConfig& config, Question ask,
                                           FileChooser chooseFile, QWidget* parent)
    : QWidget(parent, Qt::Window),
      FLink(link),
      FConfig(config),
      FAsk(std::move(ask)),
      FChooseFile(std::move(chooseFile)) {
    setWindowTitle(Title);
    resize(WindowWidth, WindowHeight);
    for (const KeyInfo& k : KeyTable()) FKeys[k.Id] = {};
    BuildWidgets();
    FAnswerTimer = new QTimer(this);
    FAnswerTimer->setSingleShot(true);
    connect(FAnswerTimer, &QTimer::timeout, this, [this] {
        Log(QString("%1: no answer").arg(MessageName(FAwaited)));
        Finish("The receiver did not answer.");
    });
    Refill();
}

void TConfigurationWindow::BuildWidgets() {
    auto* top = new QHBoxLayout;
    cmbGroup = new QComboBox(this);
    cmbGroup->addItem(AllGroups);
    for (const std::string& g : WindowGroups()) cmbGroup->addItem(QString::fromStdString(g));
    cmbGroup->setCurrentIndex(1);
    cmbLayer = new QComboBox(this);
    for (KeyLayer layer : ReadLayers) cmbLayer->addItem(LayerName(layer));
    edtSearch = new QLineEdit(this);
    edtSearch->setPlaceholderText("Search keys by name");
    btnRead = new QPushButton("Read", this);
    btnDefault = new QPushButton("Compare with default", this);
    chkDiffOnly = new QCheckBox("Differences only", this);
    for (QWidget* w : std::initializer_list<QWidget*>{new QLabel("Group", this), cmbGroup,
                                                      new QLabel("Layer", this), cmbLayer, btnRead,
                                                      btnDefault, chkDiffOnly, edtSearch})
        top->addWidget(w);

    tblKeys = new QTableWidget(0, ColumnCount, this);
    for (int c = 0; c < ColumnCount; ++c)
        tblKeys->setHorizontalHeaderItem(c, new QTableWidgetItem(ColumnNames[c]));
    tblKeys->horizontalHeader()->setStretchLastSection(true);
    tblKeys->verticalHeader()->hide();
    tblKeys->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblKeys->setColumnWidth(ColKey, 260);

    auto* bottom = new QHBoxLayout;
    chkRam = new QCheckBox("RAM", this);
    chkRam->setChecked(true);
    chkBbr = new QCheckBox("BBR", this);
    chkFlash = new QCheckBox("Flash", this);
    cmbPort = new QComboBox(this);
    for (KeyPort p : LinkPorts) cmbPort->addItem(KeyPortName(p));
    cmbPort->setToolTip("The receiver's port this monitor is connected through");
    btnApply = new QPushButton("Apply", this);
    btnDelete = new QPushButton("Delete selected", this);
    btnSave = new QPushButton("Save...", this);
    btnLoad = new QPushButton("Load...", this);
    for (QWidget* w : std::initializer_list<QWidget*>{
             new QLabel("Write to", this), chkRam, chkBbr, chkFlash, btnApply, btnDelete,
             new QLabel("Connected through", this), cmbPort, btnSave, btnLoad})
        bottom->addWidget(w);
    bottom->addStretch();

    lblStatus = new QLabel(this);
    txtLog = new QPlainTextEdit(this);
    txtLog->setReadOnly(true);
    txtLog->setMaximumBlockCount(LogLines);
    txtLog->setFixedHeight(LogHeight);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tblKeys);
    layout->addLayout(bottom);
    layout->addWidget(lblStatus);
    layout->addWidget(txtLog);

    connect(cmbGroup, &QComboBox::currentIndexChanged, this, [this] { Refill(); });
    connect(edtSearch, &QLineEdit::textChanged, this, [this] { Refill(); });
    connect(chkDiffOnly, &QCheckBox::toggled, this, [this] { Refill(); });
    connect(tblKeys, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { CellChanged(item); });
    connect(btnRead, &QPushButton::clicked, this, [this] { ReadLayer(); });
    connect(btnDefault, &QPushButton::clicked, this, [this] { CompareWithDefault(); });
    connect(btnApply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { SaveFile(); });
    connect(btnLoad, &QPushButton::clicked, this, [this] { LoadFile(); });
}

// --- the table ---

bool TConfigurationWindow::Shown(uint32_t id, const KeyRow& key) const {
    const QString group = cmbGroup->currentText();
    if (group != AllGroups && QString::fromStdString(WindowGroupOf(id)) != group) return false;
    if (!QString::fromStdString(KeyNameOf(id))
             .contains(edtSearch->text().trimmed(), Qt::CaseInsensitive))
        return false;
    return !chkDiffOnly->isChecked() || Differs(id) || key.Edited;
}

void TConfigurationWindow::Refill() {
    FFilling = true;
    tblKeys->setRowCount(0);
    for (const auto& [id, key] : FKeys) {
        if (!Shown(id, key)) continue;
        const int row = tblKeys->rowCount();
        tblKeys->insertRow(row);
        FillRow(row, id, key);
    }
    FFilling = false;
}

void TConfigurationWindow::FillRow(int row, uint32_t id, const KeyRow& key) {
    const KeyInfo* info = FindKey(id);
    const bool bit =
        info ? info->Type == KeyType::L : KeyValueSize(id) == 1 && TypeOfSize(id) == KeyType::L;
    const bool known = key.Edited || key.Read;
    const uint64_t value = key.Edited ? key.Edit : key.Value;
    auto* name = new QTableWidgetItem(QString::fromStdString(KeyNameOf(id)));
    name->setData(Qt::UserRole, id);
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);
    auto* cell = new QTableWidgetItem;
    if (bit) {
        cell->setFlags((cell->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
        cell->setCheckState(known && value ? Qt::Checked : Qt::Unchecked);
        if (!known) cell->setData(Qt::CheckStateRole, QVariant());
    } else if (known) {
        cell->setText(QString::fromStdString(ShownValue(id, value)));
    }
    if (!bit) cell->setFlags(cell->flags() & ~Qt::ItemIsUserCheckable);
    const QString unit = info ? info->Unit : "";
    const QString shownDefault =
        key.HasDefault ? QString::fromStdString(ShownValue(id, key.Default)) : QString();
    const QString meaning =
        info ? info->Meaning
             : QString("not in the key table (%1)").arg(KeyTypeName(TypeOfSize(id)));
    QTableWidgetItem* cells[ColumnCount] = {name, cell, new QTableWidgetItem(unit),
                                            new QTableWidgetItem(shownDefault),
                                            new QTableWidgetItem(meaning)};
    for (int c = 0; c < ColumnCount; ++c) {
        if (c != ColValue) cells[c]->setFlags(cells[c]->flags() & ~Qt::ItemIsEditable);
        if (Differs(id)) cells[c]->setBackground(DiffersColour);
        if (key.Edited) cells[c]->setBackground(EditedColour);
        tblKeys->setItem(row, c, cells[c]);
    }
}

void TConfigurationWindow::CellChanged(QTableWidgetItem* item) {
    if (FFilling || item->column() != ColValue) return;
    const auto id = tblKeys->item(item->row(), ColKey)->data(Qt::UserRole).toUInt();
    KeyRow& key = FKeys[id];
    uint64_t raw = 0;
    if (IsBitKey(id)) {
        raw = item->checkState() == Qt::Checked ? 1 : 0;
    } else if (!ParseShownValue(id, item->text().toStdString(), raw)) {
        lblStatus->setText(QString("\"%1\" is no value of %2.")
                               .arg(item->text(), QString::fromStdString(KeyNameOf(id))));
        QTimer::singleShot(0, this, [this] { Refill(); });
        return;
    }
    key.Edited = !(key.Read && key.Value == raw);
    key.Edit = raw;
    QTimer::singleShot(0, this, [this] { Refill(); });  // not while the table hands the item on
}

int TConfigurationWindow::RowOf(uint32_t id) const {
    for (int row = 0; row < tblKeys->rowCount(); ++row)
        if (tblKeys->item(row, ColKey)->data(Qt::UserRole).toUInt() == id) return row;
    return -1;
}

bool TConfigurationWindow::ReadValue(uint32_t id, uint64_t& raw) const {
    const auto it = FKeys.find(id);
    if (it == FKeys.end() || !it->second.Read) return false;
    raw = it->second.Value;
    return true;
}

bool TConfigurationWindow::Differs(uint32_t id) const {
    const auto it = FKeys.find(id);
    if (it == FKeys.end()) return false;
    const KeyRow& k = it->second;
    return k.Read && k.HasDefault && k.Value != k.Default;
}

std::vector<KeyValue> TConfigurationWindow::Edits() const {
    std::vector<KeyValue> values;
    for (const auto& [id, key] : FKeys)
        if (key.Edited) values.push_back({id, key.Edit});
    return values;
}

// --- talking to the receiver ---

void TConfigurationWindow::Log(const QString& line) {
    txtLog->appendPlainText(line);
}

uint8_t TConfigurationWindow::TickedLayers() const {
    return (chkRam->isChecked() ? LayerBitRam : 0) | (chkBbr->isChecked() ? LayerBitBbr : 0) |
           (chkFlash->isChecked() ? LayerBitFlash : 0);
}

std::vector<uint32_t> TConfigurationWindow::ChosenWildcards() const {
    const QString group = cmbGroup->currentText();
    return group == AllGroups ? AllGroupWildcards() : GroupWildcards(group.toStdString());
}

void TConfigurationWindow::ReadLayer() {
    StartReading(ReadLayers[cmbLayer->currentIndex()]);
}

void TConfigurationWindow::CompareWithDefault() {
    StartReading(KeyLayer::Default);
}

void TConfigurationWindow::StartReading(KeyLayer layer) {
    if (Busy()) return;
    const std::vector<uint32_t> wildcards = ChosenWildcards();
    FPolls.assign(wildcards.begin(), wildcards.end());
    FReadLayer = layer;
    FPosition = 0;
    FValuesRead = 0;
    // A new read of a layer forgets what another layer said of these keys.
    for (auto& [id, key] : FKeys)
        for (uint32_t w : wildcards)
            if (KeyInWildcard(id, w)) {
                if (layer == KeyLayer::Default)
                    key.HasDefault = false;
                else
                    key.Read = false;
            }
    FStep = Step::Reading;
    lblStatus->setText(QString("Reading %1...").arg(LayerName(layer)));
    SendNextPoll();
}

void TConfigurationWindow::SendNextPoll() {
    if (FPolls.empty()) {
        Finish(QString("Read %1 values from %2.").arg(FValuesRead).arg(LayerName(FReadLayer)));
        return;
    }
    FPageValues = 0;
    if (!SendAll(UbxIdValGet, {EncodeValGetPoll(FReadLayer, FPosition, {FPolls.front()})}))
        Finish("No receiver connected.");
}

bool TConfigurationWindow::SendAll(uint8_t messageId, std::vector<std::vector<uint8_t>> payloads) {
    std::vector<Command> commands;
    for (auto& p : payloads) commands.push_back(CfgCommand(messageId, std::move(p)));
    if (commands.empty() || !FLink.Submit(std::move(commands))) return false;
    FAwaited = messageId;
    FMessagesLeft = payloads.size();
    FAnswerTimer->start(FAnswerLimit);
    return true;
}

void TConfigurationWindow::KeysAnswered(const UbxKeyValuesRecord& answer) {
    if (FStep != Step::Reading || !answer.Sound || answer.Layer != static_cast<uint8_t>(FReadLayer))
        return;
    for (int n = 0; n < answer.Count && n < UbxMaxKeyValues; ++n) {
        KeyRow& key = FKeys[answer.Ids[n]];  // a key the table lacks gets a row of its own
        if (FReadLayer == KeyLayer::Default) {
            key.HasDefault = true;
            key.Default = answer.Values[n];
        } else {
            key.Read = true;
            key.Value = answer.Values[n];
            if (key.Edited && key.Edit == key.Value) key.Edited = false;
        }
    }
    FPageValues = answer.Count;
    FValuesRead += answer.Count;
}

void TConfigurationWindow::UbxAnswered(const UbxAckRecord& answer) {
    if (answer.Class != UbxClassCfgKeys || FStep == Step::Idle || answer.Id != FAwaited) return;
    const QString layers =
        answer.Id == UbxIdValGet ? QString(LayerName(FReadLayer)) : LayerList(FWrittenLayers);
    Log(QString("%1 (%2) %3")
            .arg(MessageName(answer.Id), layers,
                 answer.Acknowledged ? "acknowledged (ACK-ACK)" : "refused (ACK-NAK)"));
    Answered(answer.Acknowledged, answer.Id);
}

void TConfigurationWindow::Answered(bool acknowledged, uint8_t messageId) {
    FAnswerTimer->stop();
    if (messageId == UbxIdValGet) {
        // A full page may have more behind it; a refusal says the layer holds none (more).
        if (acknowledged && FPageValues >= static_cast<int>(MaxKeysPerMessage)) {
            FPosition = static_cast<uint16_t>(FPosition + MaxKeysPerMessage);
        } else {
            FPolls.pop_front();
            FPosition = 0;
        }
        Refill();
        SendNextPoll();
        return;
    }
    if (!acknowledged) {
        Finish(
            QString("The receiver refused %1: nothing of it applied.").arg(MessageName(messageId)));
        return;
    }
    if (FMessagesLeft > 1) {
        --FMessagesLeft;
        FAnswerTimer->start(FAnswerLimit);
        return;
    }
    if (messageId == UbxIdValDel) {
        Finish(QString("Deleted from %1.").arg(LayerList(FWrittenLayers)));
        return;
    }
    TakeWrittenValues();
    QString status =
        QString("Applied %1 keys to %2.").arg(FWritten.size()).arg(LayerList(FWrittenLayers));
    if (FFollowBaud != 0) {
        const bool followed = FLink.FollowRate(static_cast<int32_t>(FFollowBaud));
        const QString line =
            followed ? QString("Following the receiver to %1 Bd.").arg(FFollowBaud)
                     : QString("Could not follow the receiver to %1 Bd.").arg(FFollowBaud);
        Log(line);
        status += ' ' + line;
    }
    Finish(status);
}

// What RAM now runs by is what was written there; the edits are done.
void TConfigurationWindow::TakeWrittenValues() {
    const auto shown = ReadLayers[cmbLayer->currentIndex()];
    const bool into = FWrittenLayers & (1u << static_cast<unsigned>(shown));
    for (const KeyValue& v : FWritten) {
        KeyRow& key = FKeys[v.Id];
        key.Edited = false;
        if (into) key.Read = true, key.Value = v.Raw;
    }
}

void TConfigurationWindow::Finish(const QString& status) {
    FStep = Step::Idle;
    FAnswerTimer->stop();
    FPolls.clear();
    FFollowBaud = 0;
    lblStatus->setText(status);
    Refill();
}

bool TConfigurationWindow::Agree(const QString& text) const {
    return FAsk ? FAsk(text) : AskYesNo(text.toStdString(), Caption);
}

void TConfigurationWindow::Apply() {
    if (Busy()) return;
    const std::vector<KeyValue> values = Edits();
    const uint8_t layers = TickedLayers();
    if (values.empty() || layers == 0) {
        lblStatus->setText(values.empty() ? "Nothing edited to apply."
                                          : "Tick at least one layer to write to.");
        return;
    }
    const LinkPort port{LinkPorts[cmbPort->currentIndex()],
                        static_cast<uint32_t>(FConfig.BaudRate.load())};
    const std::vector<LinkCut> cuts = LinkCuts(values, port);
    if (!cuts.empty()) {
        QString text = "These changes may cut this monitor's link to the receiver:\n";
        for (const LinkCut& c : cuts) text += "\n" + QString::fromStdString(c.Reason);
        text += "\n\nApply them?";
        if (!Agree(text)) {
            lblStatus->setText("Not applied.");
            return;
        }
    }
    FWritten = values;
    FWrittenLayers = layers;
    FStep = Step::Writing;
    if (!SendAll(UbxIdValSet, EncodeValSet(values, layers))) {
        Finish("No receiver connected.");
        return;
    }
    // Only RAM is what the receiver runs by: a new rate in BBR or Flash waits for a restart.
    FFollowBaud = layers & LayerBitRam ? NewLinkBaud(values, port) : 0;
    lblStatus->setText(
        QString("Applying %1 keys to %2...").arg(values.size()).arg(LayerList(layers)));
}

void TConfigurationWindow::DeleteSelected() {
    if (Busy()) return;
    std::vector<uint32_t> keys;
    for (const QModelIndex& index : tblKeys->selectionModel()->selectedRows(ColKey))
        keys.push_back(index.data(Qt::UserRole).toUInt());
    const uint8_t layers = TickedLayers() & (LayerBitBbr | LayerBitFlash);
    if (keys.empty() || layers == 0) {
        lblStatus->setText(keys.empty() ? "Select the keys to delete."
                                        : "Tick BBR or Flash to delete from.");
        return;
    }
    FWrittenLayers = layers;
    FStep = Step::Deleting;
    if (!SendAll(UbxIdValDel, EncodeValDel(keys, layers))) Finish("No receiver connected.");
}

QString TConfigurationWindow::AskFile(bool save) {
    if (FChooseFile) return FChooseFile(save);
    return save ? QFileDialog::getSaveFileName(this, "Save keys", QString(), FileFilter)
                : QFileDialog::getOpenFileName(this, "Load keys", QString(), FileFilter);
}

// The keys read (or edited) as shown in the table, one KEY = VALUE a line.
void TConfigurationWindow::SaveFile() {
    std::vector<KeyValue> values;
    for (const auto& [id, key] : FKeys)
        if ((key.Read || key.Edited) && Shown(id, key))
            values.push_back({id, key.Edited ? key.Edit : key.Value});
    const QString path = AskFile(true);
    if (path.isEmpty()) return;
    QFile file(path);
    const std::string text = "# " + std::string(LayerName(ReadLayers[cmbLayer->currentIndex()])) +
                             " layer, from the configuration window\n" + KeyFileText(values);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size())) {
        lblStatus->setText("Cannot write " + path + ": " + file.errorString());
        return;
    }
    lblStatus->setText(QString("Saved %1 keys to %2.").arg(values.size()).arg(path));
}

// A file's values become edits, applied with Apply.
void TConfigurationWindow::LoadFile() {
    const QString path = AskFile(false);
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        lblStatus->setText("Cannot read " + path + ": " + file.errorString());
        return;
    }
    std::vector<KeyValue> values;
    std::string error;
    if (!ParseKeyFile(file.readAll().toStdString(), values, error)) {
        lblStatus->setText(path + ": " + QString::fromStdString(error));
        return;
    }
    for (const KeyValue& v : values) {
        KeyRow& key = FKeys[v.Id];
        key.Edited = !(key.Read && key.Value == v.Raw);
        key.Edit = v.Raw;
    }
    Refill();
    lblStatus->setText(
        QString("Loaded %1 keys from %2: Apply writes them.").arg(values.size()).arg(path));
}
