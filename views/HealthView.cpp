#include "views/HealthView.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <mutex>

#include "eval/EpochRecorder.h"
#include "nmea/NmeaManager.h"
#include "ubx/UbxHealth.h"
#include "ubx/UbxHealthFields.h"

namespace {

struct GnssBand {
    const char* Name;
    double CentreMHz;
};
// The bands a u-blox receiver's RF blocks cover.
constexpr GnssBand Bands[] = {
    {"L1/E1", 1575.42},   {"B1I", 1561.098},   {"G1", 1602.0},  {"L2", 1227.60},  {"G2", 1246.0},
    {"B2I/E5b", 1207.14}, {"L5/E5a", 1176.45}, {"E6", 1278.75}, {"B3I", 1268.52},
};
constexpr double SpectrumUnits = 4;  // 0.25 dB
constexpr double MegaHertz = 1e6;
constexpr int Margin = 28;
const QStringList BlockColumns = {"Block",     "Antenna", "Power", "Jamming",
                                  "Indicator", "AGC",     "Noise"};
const QStringList EventColumns = {"UTC", "Kind", "Value", "Threshold", "What"};

QString TimeOfDay(uint32_t ms) {
    if (ms == Epoch::NoTime) return "--";
    return QString::asprintf("%02u:%02u:%02u.%03u", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                             ms % 1000);
}

void SetRow(QTableWidget* table, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c) table->setItem(row, c, new QTableWidgetItem(cells[c]));
}

}  // namespace

TSpectrumPlot::TSpectrumPlot(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(90);
}

void TSpectrumPlot::SetSpectra(const UbxSpanRecord& spectra) {
    FSpectra = spectra;
    update();
}

std::vector<const char*> TSpectrumPlot::BandsShown(int block) const {
    std::vector<const char*> names;
    if (block < 0 || block >= FSpectra.Count) return names;
    const UbxSpanBlock& b = FSpectra.Blocks[block];
    const double low = UbxSpanBinFrequency(b, 0) / MegaHertz;
    const double high = UbxSpanBinFrequency(b, UbxSpectrumBins - 1) / MegaHertz;
    for (const GnssBand& band : Bands)
        if (band.CentreMHz >= low && band.CentreMHz <= high) names.push_back(band.Name);
    return names;
}

void TSpectrumPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    if (FSpectra.Count == 0) {
        p.drawText(rect(), Qt::AlignCenter, "No spectrum (MON-SPAN) received");
        return;
    }
    const int rowHeight = height() / FSpectra.Count;
    for (int k = 0; k < FSpectra.Count; ++k) {
        const UbxSpanBlock& b = FSpectra.Blocks[k];
        const QRect area(Margin, k * rowHeight + Margin / 2, width() - 2 * Margin,
                         rowHeight - Margin);
        p.setPen(palette().mid().color());
        p.drawRect(area);
        const double low = UbxSpanBinFrequency(b, 0),
                     high = UbxSpanBinFrequency(b, UbxSpectrumBins - 1);
        const auto x = [&](double hz) {
            return area.left() + (hz - low) / (high - low) * area.width();
        };
        const auto y = [&](int level) { return area.bottom() - level / 255.0 * area.height(); };
        p.setPen(QPen(QColor(200, 60, 40), 1, Qt::DashLine));
        for (const GnssBand& band : Bands) {
            const double hz = band.CentreMHz * MegaHertz;
            if (hz < low || hz > high) continue;
            p.drawLine(QPointF(x(hz), area.top()), QPointF(x(hz), area.bottom()));
            p.drawText(QPointF(x(hz) + 2, area.top() + 12), band.Name);
        }
        p.setPen(QPen(palette().text().color(), 1));
        QPolygonF line;
        for (int i = 0; i < UbxSpectrumBins; ++i)
            line << QPointF(x(UbxSpanBinFrequency(b, i)), y(b.Spectrum[i]));
        p.drawPolyline(line);
        p.drawText(QPointF(area.left(), area.bottom() + 12),
                   QString::asprintf("%.1f MHz", low / MegaHertz));
        const QString right =
            QString::asprintf("%.1f MHz  (block %d, PGA %u dB)", high / MegaHertz, k, b.Pga);
        p.drawText(QRectF(area.left(), area.bottom() + 1, area.width(), 14), Qt::AlignRight, right);
        p.drawText(QPointF(2, area.top() + 10), QString::asprintf("%.0f dB", 255 / SpectrumUnits));
    }
}

THealthView::THealthView(NMEA_Manager& store, EpochRecorder& recording, QWidget* parent)
    : QWidget(parent), FStore(store), FRecording(recording) {
    summaryLabel = new QLabel(this);
    blockTable = new QTableWidget(0, BlockColumns.size(), this);
    blockTable->setHorizontalHeaderLabels(BlockColumns);
    blockTable->verticalHeader()->hide();
    blockTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    blockTable->setMaximumHeight(110);
    blockTable->setMinimumHeight(60);
    spectrum = new TSpectrumPlot(this);
    eventTable = new QTableWidget(0, EventColumns.size(), this);
    eventTable->setHorizontalHeaderLabels(EventColumns);
    eventTable->verticalHeader()->hide();
    eventTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    eventTable->horizontalHeader()->setStretchLastSection(true);
    eventTable->setMinimumHeight(60);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summaryLabel);
    layout->addWidget(blockTable);
    layout->addWidget(spectrum, 2);
    layout->addWidget(new QLabel("Alarms of the interference watch", this));
    layout->addWidget(eventTable, 1);
    Refresh();
}

void THealthView::Refresh() {
    ReceiverHealth health;
    UbxSpanRecord spectra;
    std::vector<WatchEvent> fresh;
    size_t total = 0;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        health = HealthOf(FStore.Ubx);
        spectra = FStore.Ubx.Health.Span;
        const std::vector<WatchEvent>& events = FRecording.Watch().Events();
        total = events.size();
        if (total < FEventsShown) FEventsShown = 0;  // the recording was cleared
        fresh.assign(events.begin() + static_cast<long>(FEventsShown), events.end());
    }
    summaryLabel->setText(
        QString("Jamming: %1 (indicator %2)    Spoofing: %3")
            .arg(UbxJammingText(health.JammingState))
            .arg(health.BlockCount > 0 ? QString::number(health.JamInd) : QString("--"))
            .arg(health.SpoofingKnown ? UbxSpoofingText(health.SpoofingState) : "not reported"));
    blockTable->setRowCount(health.BlockCount);
    for (int i = 0; i < health.BlockCount; ++i) {
        const UbxRfBlock& b = health.Blocks[i];
        SetRow(
            blockTable, i,
            {QString::number(b.BlockId), UbxAntennaText(b.AntStatus), UbxAntPowerText(b.AntPower),
             UbxJammingText(b.JammingState), QString::number(b.JamInd), QString::number(b.AgcCnt),
             QString::number(b.NoisePerMs)});
    }
    spectrum->SetSpectra(spectra);
    if (FEventsShown == 0) eventTable->setRowCount(0);
    for (const WatchEvent& e : fresh) {
        const int row = eventTable->rowCount();
        eventTable->insertRow(row);
        SetRow(eventTable, row,
               {TimeOfDay(e.UtcMs), AlarmKindName(e.Kind), QString::number(e.Value, 'f', 1),
                QString::number(e.Limit, 'f', 1), QString::fromStdString(e.Text)});
    }
    FEventsShown = total;
}
