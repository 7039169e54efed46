#include "control/EvaluationWindow.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <mutex>

#include "control/CampaignPanel.h"
#include "control/SaveName.h"
#include "eval/EpochRecorder.h"
#include "eval/Export.h"
#include "nmea/NmeaManager.h"
#include "nmea/SignalNames.h"
#include "ubx/UbxMessages.h"
#include "views/HealthView.h"
#include "views/HistoryView.h"
#include "views/MessageBox.h"
#include "views/RtcmView.h"
#include "views/ScatterView.h"

namespace {
constexpr size_t SliceEpochs = 20000;          // epochs read per hold of the store lock
constexpr size_t ScatterPoints = 20000;        // points drawn; every fix counts in the figures
constexpr size_t AlwaysMeasuredFixes = 20000;  // up to here every refresh measures again
constexpr size_t GrowthDenominator = 100;      // beyond, once the fixes grew by 1/100
constexpr double MsPerSecond = 1000.0;
constexpr size_t EpochsPerThousand = 1000;
constexpr int MaxKeptThousands = 10000;  // ten million epochs, about 2 GB
constexpr int KeptStepThousands = 100;
constexpr double SecondsPerMinute = 60.0;
const QStringList SatelliteColumns = {"System",  "Number", "Signal", "Elevation",
                                      "Azimuth", "C/N0",   "Used"};
const QStringList MessageColumns = {"Sentence", "Count", "Per second", "Checksum failures"};
const char* const SystemNames[] = {"GPS",    "SBAS", "GLONASS", "Galileo",
                                   "BeiDou", "QZSS", "NavIC",   "other"};
constexpr char AllSystems[] = "All systems";
constexpr double MaxLatitude = 90, MaxLongitude = 180;
constexpr double MaxAltitude = 100000;  // metres: far above any receiver this evaluates

// The exports of the export row: the format ExportRecording takes, its
// button and the suffix and filter of the file it writes.
struct ExportEntry {
    const char* Format;
    const char* Button;
    const char* Suffix;
    const char* Title;  // of the file chooser
};
constexpr ExportEntry ExportEntries[] = {
    {"csv", "Export CSV...", "csv", "Export the recording"},
    {"gpx", "Export GPX...", "gpx", "Export the recording"},
    {"kml", "Export KML...", "kml", "Export the recording"},
    {"alarms", "Export alarms (CSV)...", "csv", "Export the alarms"}};

// A table cell that sorts by number.
QTableWidgetItem* NumberItem(int value) {
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, value);
    return item;
}
// The frames that came over the link, one row per UBX message and per
// RTCM 3 message number, after the sentences.
void AddFrameRows(const NMEA_Manager& store, std::vector<SentenceTally::Row>& rows) {
    const UbxState& ubx = store.Ubx;
    for (int i = 0; i < ubx.CountKinds; ++i)
        rows.push_back({"UBX " + UbxMessageName(ubx.Counts[i].Class, ubx.Counts[i].Id),
                        ubx.Counts[i].Frames, 0});
    for (int i = 0; i < store.Rtcm.Kinds(); ++i)
        rows.push_back({"RTCM " + std::to_string(store.Rtcm[i].Number), store.Rtcm[i].Frames, 0});
}

QString BytesText(const ByteClasses& b) {
    return QString(
               "Bytes read: %1 = sound sentences %2 + checksum failures %3 + UBX frames %4 + "
               "RTCM 3 frames %5 + bad frames %6 + noise %7")
        .arg(b.Total())
        .arg(b.Sound)
        .arg(b.BadChecksum)
        .arg(b.Ubx)
        .arg(b.Rtcm)
        .arg(b.BadFrames)
        .arg(b.Noise);
}
}  // namespace

TEvaluationWindow::TEvaluationWindow(NMEA_Manager& store, EpochRecorder& recording,
                                     TtffCampaign::SendRestart restart, QWidget* parent)
    : QWidget(parent, Qt::Window), FStore(store), FRecording(recording) {
    setWindowTitle("LumarokUb evaluation");
    resize(640, 560);
    tabs = new QTabWidget(this);
    campaign = new TCampaignPanel(this, store.Lock(), recording, std::move(restart));
    tabs->addTab(campaign, "Time to fix");
    tabs->addTab(BuildAccuracyTab(), "Accuracy");
    tabs->addTab(BuildSignalsTab(), "Signals");
    tabs->addTab(BuildSatellitesTab(), "Satellites");
    tabs->addTab(BuildMessagesTab(), "Messages");
    rtcmView = new TRtcmView(store, this);
    tabs->addTab(rtcmView, "RTCM 3");
    healthView = new THealthView(store, recording, this);
    tabs->addTab(healthView, "Health");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addWidget(BuildExportRow());
    FTimer = new QTimer(this);
    FTimer->setInterval(RefreshMs);
    connect(FTimer, &QTimer::timeout, this, [this] { Refresh(); });
    connect(tabs, &QTabWidget::currentChanged, this, [this] { Refresh(); });
    FChooseFile = [this](const QString& title, const QString& filter) {
        return QFileDialog::getSaveFileName(this, title, QString(), filter);
    };
}

QWidget* TEvaluationWindow::BuildMessagesTab() {
    auto* tab = new QWidget(this);
    messageTable = new QTableWidget(0, MessageColumns.size(), tab);
    messageTable->setHorizontalHeaderLabels(MessageColumns);
    messageTable->verticalHeader()->hide();
    messageTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    messageTable->setSortingEnabled(true);
    bytesLabel = new QLabel(tab);
    bytesLabel->setWordWrap(true);
    bytesLabel->setToolTip(
        "Every byte read from the link is counted once, in one of these classes");
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(messageTable, 1);
    layout->addWidget(bytesLabel);
    return tab;
}

QWidget* TEvaluationWindow::BuildAccuracyTab() {
    auto* tab = new QWidget(this);
    scatter = new TScatterView(tab);
    referenceEdit = new QLineEdit(tab);
    referenceEdit->setPlaceholderText(
        "reference: latitude, longitude[, altitude] (empty: the mean)");
    referenceNote = new QLabel(tab);
    referenceNote->setWordWrap(true);
    referenceNote->hide();
    resetButton = new QPushButton("Reset", tab);
    connect(resetButton, &QPushButton::clicked, this, [this] { ResetAccuracy(); });
    connect(referenceEdit, &QLineEdit::editingFinished, this, [this] { RefreshAccuracy(); });
    auto* row = new QHBoxLayout;
    row->addWidget(referenceEdit, 1);
    row->addWidget(resetButton);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(row);
    layout->addWidget(referenceNote);
    layout->addWidget(scatter, 1);
    return tab;
}

QWidget* TEvaluationWindow::BuildSignalsTab() {
    auto* tab = new QWidget(this);
    history = new THistoryView(tab);
    systemCombo = new QComboBox(tab);
    systemCombo->addItem(AllSystems);
    for (const char* name : SystemNames) systemCombo->addItem(name);
    satelliteEdit = new QLineEdit(tab);
    satelliteEdit->setPlaceholderText("satellites, e.g. G5 R70 E11 (empty: all)");
    historyScroll = new QScrollBar(Qt::Horizontal, tab);
    connect(systemCombo, &QComboBox::currentIndexChanged, this, [this] { RefreshHistory(); });
    connect(satelliteEdit, &QLineEdit::textChanged, this, [this] { RefreshHistory(); });
    connect(historyScroll, &QScrollBar::valueChanged, this, [this] { RefreshHistory(); });
    auto* choices = new QHBoxLayout;
    choices->addWidget(systemCombo);
    choices->addWidget(satelliteEdit, 1);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(choices);
    layout->addWidget(history, 1);
    layout->addWidget(historyScroll);
    return tab;
}

QWidget* TEvaluationWindow::BuildSatellitesTab() {
    satelliteTable = new QTableWidget(0, SatelliteColumns.size(), this);
    satelliteTable->setHorizontalHeaderLabels(SatelliteColumns);
    satelliteTable->verticalHeader()->hide();
    satelliteTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    satelliteTable->setSortingEnabled(true);
    // A satellite clicked in the table is highlighted in the signal history.
    connect(satelliteTable, &QTableWidget::cellClicked, this, [this](int row, int) {
        const QString name = satelliteTable->item(row, 0)->text();
        const auto* system = std::find_if(std::begin(SystemNames), std::end(SystemNames),
                                          [&name](const char* n) { return name == n; });
        if (system == std::end(SystemNames)) return;
        ChooseSatellite(static_cast<Constellation>(system - std::begin(SystemNames)),
                        satelliteTable->item(row, 1)->data(Qt::DisplayRole).toInt());
    });
    return satelliteTable;
}

void TEvaluationWindow::ChooseSatellite(Constellation system, int prn) {
    history->Highlight(THistoryView::SatelliteKey{system, static_cast<uint16_t>(prn)});
}

QWidget* TEvaluationWindow::BuildExportRow() {
    auto* row = new QWidget(this);
    recordingLabel = new QLabel(row);
    keepSpin = new QSpinBox(row);
    keepSpin->setRange(1, MaxKeptThousands);
    keepSpin->setSingleStep(KeptStepThousands);
    keepSpin->setPrefix("keep ");
    keepSpin->setSuffix(" k epochs");
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        keepSpin->setValue(static_cast<int>(FRecording.Limit() / EpochsPerThousand));
    }
    keepSpin->setToolTip(
        "The recording keeps this many epochs and drops the oldest beyond: "
        "864 k is 24 hours at 10 Hz, about 180 MB with 40 satellites in view.");
    connect(keepSpin, &QSpinBox::valueChanged, this, [this](int thousands) {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        FRecording.SetLimit(static_cast<size_t>(thousands) * EpochsPerThousand);
    });
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(recordingLabel, 1);
    layout->addWidget(keepSpin);
    for (const ExportEntry& entry : ExportEntries) {
        auto* button = new QPushButton(entry.Button, row);
        connect(button, &QPushButton::clicked, this,
                [this, &entry] { ExportWithDialog(entry.Format, entry.Suffix, entry.Title); });
        layout->addWidget(button);
    }
    return row;
}

// The window opens whole on its screen's free area (without panels and
// docks): no larger than the area, and moved in where it would stick out.
void TEvaluationWindow::FitToScreen() {
    const QScreen* where = screen();
    if (!where) return;
    layout()->activate();  // the size the rows need, before it is measured
    const QRect area = where->availableGeometry();
    const QRect outer = frameGeometry(), inner = geometry();
    const int frameWidth = outer.width() - inner.width();
    const int frameHeight = outer.height() - inner.height();
    const QSize fitted(std::min(width(), area.width() - frameWidth),
                       std::min(height(), area.height() - frameHeight));
    if (fitted != size()) resize(fitted.expandedTo(minimumSize()));
    const QSize whole = size() + QSize(frameWidth, frameHeight);
    // A window larger than the area (its minimum size) keeps its top left corner in.
    const int left = std::clamp(outer.left(), area.left(),
                                std::max(area.left(), area.right() + 1 - whole.width()));
    const int top = std::clamp(outer.top(), area.top(),
                               std::max(area.top(), area.bottom() + 1 - whole.height()));
    if (QPoint(left, top) != outer.topLeft()) move(left, top);
}

void TEvaluationWindow::showEvent(QShowEvent*) {
    FitToScreen();
    FTimer->start();
    Refresh();
}

void TEvaluationWindow::hideEvent(QHideEvent*) {
    FTimer->stop();
}

void TEvaluationWindow::ShowCampaign() {
    tabs->setCurrentWidget(campaign);
    show();
    raise();
    activateWindow();
}

void TEvaluationWindow::Refresh() {
    size_t size = 0, bytes = 0;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        size = FRecording.Size();
        bytes = FRecording.MemoryBytes();
    }
    recordingLabel->setText(
        QString("%1 epochs recorded, %2 MB").arg(size).arg(bytes / 1e6, 0, 'f', 1));
    QWidget* current = tabs->currentWidget();
    if (current == scatter->parentWidget()) RefreshAccuracy();
    if (current == history->parentWidget()) RefreshHistory();
    if (current == satelliteTable) RefreshSatellites();
    if (current == messageTable->parentWidget()) RefreshMessages();
    if (current == rtcmView) rtcmView->Refresh();
    if (current == healthView) healthView->Refresh();
}

void TEvaluationWindow::RefreshMessages() {
    std::vector<SentenceTally::Row> rows;
    ByteClasses bytes;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        rows = FStore.Tally.Rows();
        AddFrameRows(FStore, rows);
        bytes = FStore.Bytes.Classes();
    }
    bytesLabel->setText(BytesText(bytes));
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    const double now = clock.nsecsElapsed() / 1e9;
    const double elapsed = FLastCountsAt < 0 ? 0 : now - FLastCountsAt;
    messageTable->setSortingEnabled(false);
    messageTable->setRowCount(static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const SentenceTally::Row& r = rows[i];
        const int row = static_cast<int>(i);
        const auto last = FLastCounts.find(r.Address);
        auto* rate = new QTableWidgetItem;
        if (elapsed > 0 && last != FLastCounts.end())
            rate->setData(Qt::DisplayRole,
                          std::round((r.Sound - last->second) / elapsed * 10) / 10);
        messageTable->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(r.Address)));
        messageTable->setItem(row, 1, NumberItem(static_cast<int>(r.Sound)));
        messageTable->setItem(row, 2, rate);
        messageTable->setItem(row, 3, NumberItem(static_cast<int>(r.Failed)));
        FLastCounts[r.Address] = r.Sound;
    }
    FLastCountsAt = now;
    messageTable->setSortingEnabled(true);
}

void TEvaluationWindow::VisitFrom(uint64_t first, const EpochVisitor& visit, uint64_t last) {
    for (;;) {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        const uint64_t dropped = FRecording.Dropped();
        const uint64_t from = std::max(first, dropped) - dropped;
        const uint64_t end =
            std::min<uint64_t>(FRecording.Size(), std::max(last, dropped) - dropped);
        if (from >= end) return;
        const uint64_t to = std::min<uint64_t>(from + SliceEpochs, end);
        FRecording.ForEach(from, to, visit);
        first = dropped + to;
    }
}

std::optional<ReferencePosition> TEvaluationWindow::ParseReference(const QString& text,
                                                                   QString& refusal) {
    refusal.clear();
    if (text.trimmed().isEmpty()) return std::nullopt;
    const QStringList parts = text.split(',');
    if (parts.size() < 2 || parts.size() > 3) {
        refusal = QString("Reference refused: \"%1\" is not latitude, longitude[, altitude].")
                      .arg(text.trimmed());
        return std::nullopt;
    }
    struct Field {
        const char* Name;
        double Limit;  // the largest magnitude it may have
    };
    const Field fields[] = {
        {"latitude", MaxLatitude}, {"longitude", MaxLongitude}, {"altitude", MaxAltitude}};
    double values[3] = {};
    for (int i = 0; i < parts.size(); ++i) {
        const QString part = parts[i].trimmed();
        bool number = false;
        values[i] = part.toDouble(&number);
        const QString why = !number                                  ? "is not a number"
                            : std::fabs(values[i]) > fields[i].Limit ? "is out of range"
                                                                     : QString();
        if (why.isEmpty()) continue;
        refusal = QString("Reference refused: %1 \"%2\" %3 (%4 to %5).")
                      .arg(fields[i].Name, part, why)
                      .arg(-fields[i].Limit)
                      .arg(fields[i].Limit);
        return std::nullopt;
    }
    ReferencePosition r;
    r.Latitude = values[0];
    r.Longitude = values[1];
    if (parts.size() == 3) r.Altitude = values[2];
    return r;
}

std::optional<ReferencePosition> TEvaluationWindow::Reference() {
    QString refusal;
    std::optional<ReferencePosition> r = ParseReference(referenceEdit->text(), refusal);
    referenceNote->setText(refusal + (refusal.isEmpty() ? "" : " Measured about the mean."));
    referenceNote->setVisible(!refusal.isEmpty());
    return r;
}

void TEvaluationWindow::RefreshAccuracy() {
    // Only the epochs recorded since the last refresh are read.
    uint64_t end = 0;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        end = FRecording.Recorded();
    }
    FixSample sample;
    VisitFrom(
        FAccuracyNext,
        [&](const Epoch& e) {
            if (FixSampleOf(e, sample)) FFixes.push_back(sample);
        },
        end);
    FAccuracyNext = end;
    // A long recording's figures move slowly: they are worked out again once
    // the fixes have grown by a hundredth, so a refresh stays short.
    const QString reference = referenceEdit->text();
    const std::optional<ReferencePosition> position = Reference();
    const bool due = FFixes.size() <= AlwaysMeasuredFixes || reference != FMeasuredReference ||
                     FFixes.size() * GrowthDenominator >= FMeasuredFixes * (GrowthDenominator + 1);
    if (!due) return;
    FMeasuredFixes = FFixes.size();
    FMeasuredReference = reference;
    scatter->Show(MeasureAccuracy(FFixes, position, ScatterPoints));
}

void TEvaluationWindow::ResetAccuracy() {
    std::lock_guard<std::mutex> hold(FStore.Lock());
    FAccuracyNext = FRecording.Recorded();
    FFixes.clear();
    FMeasuredFixes = 0;
    scatter->Show(AccuracyReport{});
}

void TEvaluationWindow::RefreshHistory() {
    std::vector<Epoch> drawn;
    double last = 0, first = 0;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        if (FRecording.Size() == 0) return;
        first = FRecording.At(0).HostMs / MsPerSecond;
        last = FRecording.At(FRecording.Size() - 1).HostMs / MsPerSecond;
    }
    // The scroll bar walks back over the whole recording, a minute a step; a
    // recording shorter than the window fills it, whole minutes at a time.
    const double shown = std::clamp(std::ceil((last - first) / SecondsPerMinute) * SecondsPerMinute,
                                    SecondsPerMinute, HistorySeconds);
    const int span = static_cast<int>(std::max(0.0, last - first - shown));
    historyScroll->blockSignals(true);
    const bool atEnd = historyScroll->value() == historyScroll->maximum();
    historyScroll->setRange(0, span);
    historyScroll->setPageStep(static_cast<int>(shown));
    if (atEnd) historyScroll->setValue(span);
    historyScroll->blockSignals(false);
    const double to = first + historyScroll->value() + shown;
    const double from = to - shown;
    // The first epoch of each pixel column: the others would draw over it,
    // and only these are unpacked.
    const int columns = std::max(1, history->width());
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        for (int c = 0; c < columns; ++c) {
            const double start = from + shown * c / columns;
            const double next = from + shown * (c + 1) / columns;
            const size_t index = FRecording.FirstAtOrAfter(
                static_cast<uint32_t>(std::ceil(std::max(0.0, start) * MsPerSecond)));
            if (index >= FRecording.Size()) break;
            Epoch e = FRecording.At(index);
            const double t = e.HostMs / MsPerSecond;
            if (t < next && t <= to) drawn.push_back(std::move(e));
        }
    }
    std::vector<Constellation> systems;
    if (systemCombo->currentIndex() > 0)
        systems.push_back(static_cast<Constellation>(systemCombo->currentIndex() - 1));
    // A list being typed that is not (yet) one shows every satellite.
    std::vector<THistoryView::SatelliteKey> satellites;
    std::string wrong;
    const bool understood =
        THistoryView::SatellitesFromText(satelliteEdit->text().toStdString(), satellites, wrong);
    if (!understood) satellites.clear();
    satelliteEdit->setToolTip(understood ? QString()
                                         : QString("not a satellite: %1 (a system letter G, S, R, "
                                                   "E, C, J or I and a number)")
                                               .arg(QString::fromStdString(wrong)));
    history->Show(drawn, from, to, systems, satellites);
}

void TEvaluationWindow::RefreshSatellites() {
    // One row per satellite and signal, as the receiver reports them.
    struct Row {
        SkySatellite Satellite;
        int32_t Signal;
        bool Used;
    };
    std::vector<Row> rows;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        FStore.Sky.ForEachSignal([&](const SkySatellite& s, int32_t signal) {
            rows.push_back({s, signal, FStore.Sky.Used(s.System, s.Prn)});
        });
    }
    satelliteTable->setSortingEnabled(false);
    satelliteTable->setRowCount(static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const SkySatellite& s = rows[i].Satellite;
        const int row = static_cast<int>(i);
        satelliteTable->setItem(row, 0,
                                new QTableWidgetItem(SystemNames[static_cast<int>(s.System)]));
        satelliteTable->setItem(row, 1, NumberItem(s.Prn));
        satelliteTable->setItem(
            row, 2,
            new QTableWidgetItem(QString::fromStdString(SignalName(s.System, rows[i].Signal))));
        satelliteTable->setItem(row, 3, s.Placed ? NumberItem(s.Elevation) : new QTableWidgetItem);
        satelliteTable->setItem(row, 4, s.Placed ? NumberItem(s.Azimuth) : new QTableWidgetItem);
        satelliteTable->setItem(row, 5, s.Snr ? NumberItem(s.Snr) : new QTableWidgetItem);
        satelliteTable->setItem(row, 6, new QTableWidgetItem(rows[i].Used ? "yes" : ""));
    }
    satelliteTable->setSortingEnabled(true);
}

bool TEvaluationWindow::ExportRecording(const QString& file, const QString& format) {
    std::ofstream out(file.toStdString());
    if (!out) return false;
    const EpochRange all = [this](const EpochVisitor& visit) { VisitFrom(0, visit); };
    if (format == "gpx")
        ExportGpx(all, out);
    else if (format == "kml")
        ExportKml(all, out);
    else if (format == "alarms")
        ExportEventsCsv(Alarms(), out);
    else
        ExportCsv(all, out);
    return static_cast<bool>(out);
}

void TEvaluationWindow::SetSaveChooser(SaveChooser chooser) {
    campaign->SetSaveChooser(chooser);
    FChooseFile = std::move(chooser);
}

void TEvaluationWindow::ExportWithDialog(const QString& format, const QString& suffix,
                                         const QString& title) {
    const QString file = WithSuffix(
        FChooseFile(title, QString("%1 files (*.%2)").arg(suffix.toUpper(), suffix)), suffix);
    if (file.isEmpty()) return;
    if (!ExportRecording(file, format)) ShowMessage("Cannot write " + file.toStdString(), "Export");
}

std::vector<WatchEvent> TEvaluationWindow::Alarms() const {
    std::lock_guard<std::mutex> hold(FStore.Lock());
    return FRecording.Watch().Events();
}
