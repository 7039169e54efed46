#include "control/CampaignPanel.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <fstream>

#include "control/SaveName.h"
#include "eval/EpochRecorder.h"

// The 3D times of the runs as bars of bins 0.1, 0.2, 0.5, 1, 2, 5, 10 ... s
// wide: the narrowest that shows the slowest run in at most 20 bins.
class THistogramView : public QWidget {
  public:
    explicit THistogramView(QWidget* parent) : QWidget(parent) { setMinimumHeight(90); }
    void Show(const std::vector<double>& values) {
        FValues = values;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (FValues.empty()) return;
        const double top = *std::max_element(FValues.begin(), FValues.end());
        const double width = BinWidth(top);
        const std::vector<int> bins = Histogram(FValues, width);
        const int most = *std::max_element(bins.begin(), bins.end());
        const double barWidth = static_cast<double>(this->width()) / bins.size();
        const int label = fontMetrics().height();
        p.setBrush(QColor(30, 90, 170));
        for (size_t i = 0; i < bins.size(); ++i) {
            const double h = (height() - label) * bins[i] / std::max(most, 1);
            p.drawRect(QRectF(i * barWidth + 1, height() - label - h, barWidth - 2, h));
        }
        p.drawText(
            2, height() - 2,
            QString("3D time to fix, %1 s bins, 0 to %2 s").arg(width).arg(width * bins.size()));
    }

  private:
    static constexpr double BinsWanted = 20;
    static constexpr double FinestBin = 0.1;  // the runs are measured to a tenth of a second
    static constexpr double MaxBin = 1e6;

    static double BinWidth(double top) {
        for (double decade = FinestBin; decade < MaxBin; decade *= 10)
            for (double step : {1.0, 2.0, 5.0})
                if (top / (decade * step) <= BinsWanted) return decade * step;
        return MaxBin;
    }
    std::vector<double> FValues;
};

namespace {
constexpr const char* KindCaptions[] = {"Hot", "Warm", "Cold", "Factory", "Corrections start"};
constexpr const char* UntilCaptions[] = {"3D fix", "RTK fixed"};
constexpr int UntilRtkFixedIndex = 1;
constexpr int DefaultRuns = 10, MaxRuns = 10000;
constexpr double DefaultTimeout = 120, DefaultPause = 5, MaxSeconds = 86400;
const QStringList Columns = {"Run",    "2D (s)",    "3D (s)",   "Receiver (s)",
                             "Result", "Float (s)", "Fixed (s)"};
constexpr char CsvSuffix[] = "csv";

QString Tenths(double seconds) {
    return seconds < 0 ? QString() : QString::number(seconds, 'f', 1);
}
}  // namespace

TCampaignPanel::TCampaignPanel(QWidget* parent, std::mutex& lock, const EpochRecorder& recording,
                               TtffCampaign::SendRestart restart)
    : QWidget(parent), FLock(lock), FRecording(recording), FRestart(std::move(restart)) {
    kindCombo = new QComboBox(this);
    for (const char* caption : KindCaptions) kindCombo->addItem(caption);
    kindCombo->setCurrentIndex(static_cast<int>(RestartKind::Cold));
    untilCombo = new QComboBox(this);
    for (const char* caption : UntilCaptions) untilCombo->addItem(caption);
    runsSpin = new QSpinBox(this);
    runsSpin->setRange(1, MaxRuns);
    runsSpin->setValue(DefaultRuns);
    timeoutSpin = new QDoubleSpinBox(this);
    timeoutSpin->setRange(1, MaxSeconds);
    timeoutSpin->setValue(DefaultTimeout);
    timeoutSpin->setSuffix(" s");
    pauseSpin = new QDoubleSpinBox(this);
    pauseSpin->setRange(0, MaxSeconds);
    pauseSpin->setValue(DefaultPause);
    pauseSpin->setSuffix(" s");
    startButton = new QPushButton("Start", this);
    cancelButton = new QPushButton("Cancel", this);
    csvButton = new QPushButton("Export CSV...", this);
    cancelButton->setEnabled(false);
    csvButton->setEnabled(false);
    runTable = new QTableWidget(0, Columns.size(), this);
    runTable->setHorizontalHeaderLabels(Columns);
    runTable->verticalHeader()->hide();
    runTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    summaryLabel = new QLabel(this);
    summaryLabel->setWordWrap(true);
    histogram = new THistogramView(this);

    auto* form = new QFormLayout;
    form->addRow("Start with", kindCombo);
    form->addRow("Run until", untilCombo);
    form->addRow("Runs", runsSpin);
    form->addRow("Time-out per run", timeoutSpin);
    form->addRow("Pause between runs", pauseSpin);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(startButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    buttons->addWidget(csvButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(runTable, 1);
    layout->addWidget(summaryLabel);
    layout->addWidget(histogram);

    FTimer = new QTimer(this);
    FTimer->setInterval(TickMs);
    connect(FTimer, &QTimer::timeout, this, [this] { Tick(); });
    connect(startButton, &QPushButton::clicked, this, [this] { Start(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
    FChooseFile = [this](const QString& title, const QString& filter) {
        return QFileDialog::getSaveFileName(this, title, QString(), filter);
    };
    connect(csvButton, &QPushButton::clicked, this, [this] {
        const QString file =
            WithSuffix(FChooseFile("Export the campaign", "CSV files (*.csv)"), CsvSuffix);
        if (!file.isEmpty()) ExportCsv(file);
    });
}

TCampaignPanel::~TCampaignPanel() = default;

bool TCampaignPanel::Running() const {
    return FCampaign && !FCampaign->Finished();
}

void TCampaignPanel::Start() {
    CampaignSettings s;
    const bool byCorrections = kindCombo->currentIndex() == CorrectionsStartIndex;
    if (byCorrections)
        s.StartBy = CampaignStart::Corrections;
    else
        s.Kind = static_cast<RestartKind>(kindCombo->currentIndex());
    s.UntilRtkFixed = untilCombo->currentIndex() == UntilRtkFixedIndex;
    s.Runs = runsSpin->value();
    s.TimeoutSeconds = timeoutSpin->value();
    s.PauseSeconds = pauseSpin->value();
    FCampaign = std::make_unique<TtffCampaign>(s, FRestart);
    {
        std::lock_guard<std::mutex> hold(FLock);
        FSeenCycles = FRecording.Recorded();  // cycles from before the campaign say nothing
    }
    runTable->setRowCount(0);
    startButton->setEnabled(false);
    cancelButton->setEnabled(true);
    csvButton->setEnabled(false);
    summaryLabel->setText(byCorrections ? "Waiting for corrections to start..."
                                        : "Waiting for the receiver...");
    FTimer->start();
    Tick();
}

void TCampaignPanel::Cancel() {
    if (FCampaign) FCampaign->Cancel();
    Tick();
}

void TCampaignPanel::CorrectionsStarted() {
    if (!FCampaign) return;
    FixState state;
    {
        std::lock_guard<std::mutex> hold(FLock);
        FixStatesSince(FRecording, FSeenCycles);  // cycles before the start say nothing of it
        state = FixStateOf(FRecording);
    }
    if (FCampaign->CorrectionsStarted(state, FRecording.ClockSeconds())) ShowRuns();
}

void TCampaignPanel::Tick() {
    if (!FCampaign) return;
    // Every cycle since the last tick, so that none is missed while the
    // window is busy; the last one stands for the receiver's state now.
    std::vector<FixState> cycles;
    {
        std::lock_guard<std::mutex> hold(FLock);
        cycles = FixStatesSince(FRecording, FSeenCycles);
        if (cycles.empty()) cycles.push_back(FixStateOf(FRecording));
    }
    const double now = FRecording.ClockSeconds();
    // On the recording's clock, as the cycles' starts are: the position
    // panel's counters measure the same run on it too. Restarts go out with
    // the lock released.
    for (const FixState& cycle : cycles) FCampaign->Tick(cycle, now);
    ShowRuns();
    if (!FCampaign->Finished()) return;
    FTimer->stop();
    startButton->setEnabled(true);
    cancelButton->setEnabled(false);
    csvButton->setEnabled(!FCampaign->Runs().empty());
}

void TCampaignPanel::ShowRuns() {
    const auto& runs = FCampaign->Runs();
    runTable->setRowCount(static_cast<int>(runs.size()));
    std::vector<double> times3D;
    for (size_t i = 0; i < runs.size(); ++i) {
        const CampaignRun& r = runs[i];
        const QString result = RunResultText(r);
        const QString cells[] = {QString::number(r.Number), Tenths(r.Fix2D), Tenths(r.Fix3D),
                                 Tenths(r.ReceiverTtff),    result,          Tenths(r.RtkFloat),
                                 Tenths(r.RtkFixed)};
        for (int c = 0; c < Columns.size(); ++c) {
            auto* item = runTable->item(static_cast<int>(i), c);
            if (!item) runTable->setItem(static_cast<int>(i), c, item = new QTableWidgetItem);
            item->setText(cells[c]);
        }
        if (r.Fix3D >= 0) times3D.push_back(r.Fix3D);
    }
    const TtffStatistics s = FCampaign->Summary3D();
    QString text = QString::fromStdString(RunCountText(runs.size())) +
                   QString(", %1 timed out").arg(FCampaign->Failures());
    if (s.Count > 0)
        text +=
            QString("; 3D: min %1, median %2, mean %3, 90% %4, max %5 s")
                .arg(Tenths(s.Min), Tenths(s.Median), Tenths(s.Mean), Tenths(s.P90), Tenths(s.Max));
    if (!FCampaign->Problem().empty())
        text += QString("; ") + QString::fromStdString(FCampaign->Problem());
    summaryLabel->setText(text);
    histogram->Show(times3D);
}

bool TCampaignPanel::ExportCsv(const QString& file) const {
    if (!FCampaign) return false;
    std::ofstream out(file.toStdString());
    ExportCampaignCsv(*FCampaign, out);
    return static_cast<bool>(out);
}
