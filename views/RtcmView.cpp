#include "views/RtcmView.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <mutex>
#include <vector>

#include "link/ThreadNMEAFetch.h"
#include "nmea/NmeaManager.h"
#include "nmea/StationBaseline.h"

namespace {

const QStringList MessageColumns = {"Number", "Name", "Count", "Per second", "Last (s ago)"};
const QStringList SatelliteColumns = {"System", "Message", "Satellites", "Signals", "Cells"};
constexpr int CoordinateDecimals = 8;
constexpr int MetreDecimals = 3;
constexpr int RateDecimals = 2;
constexpr int AgeDecimals = 1;

// What the view shows, copied under the store's lock.
struct RtcmSnapshot {
    std::vector<RtcmTally::Row> Rows;
    RtcmLatest Latest;
    bool HasBaseline = false;
    double Baseline = 0;
    uint64_t Frames = 0, Unknown = 0, Proprietary = 0, Malformed = 0, BadCrcs = 0;
};

RtcmSnapshot Take(NMEA_Manager& store) {
    RtcmSnapshot s;
    std::lock_guard<std::mutex> hold(store.Lock());
    const RtcmState& rtcm = store.Rtcm;
    for (int i = 0; i < rtcm.Kinds(); ++i) s.Rows.push_back(rtcm[i]);
    s.Latest = rtcm.Latest;
    s.HasBaseline = StationBaseline(store, s.Baseline);
    s.Frames = rtcm.Frames();
    s.Unknown = rtcm.Unknown;
    s.Proprietary = rtcm.Proprietary;
    s.Malformed = rtcm.Malformed;
    s.BadCrcs = rtcm.BadCrcs;
    return s;
}

QTableWidgetItem* Cell(const QVariant& value) {
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, value);
    return item;
}

QTableWidget* NewTable(const QStringList& columns, QWidget* parent) {
    auto* table = new QTableWidget(0, columns.size(), parent);
    table->setHorizontalHeaderLabels(columns);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QString Hemisphere(double value, char positive, char negative, int decimals) {
    return QString("%1 %2")
        .arg(value < 0 ? negative : positive)
        .arg(std::abs(value), 0, 'f', decimals);
}

QString StationText(const RtcmSnapshot& s) {
    if (!s.Latest.HasStation) return "Station: none yet (1005/1006)";
    const RtcmStation& st = s.Latest.Station;
    const Geodetic g = GeodeticOf(StationEcef(st));
    QString text = QString("Station %1: %2, %3, %4 m")
                       .arg(st.StationId)
                       .arg(Hemisphere(g.Latitude, 'N', 'S', CoordinateDecimals))
                       .arg(Hemisphere(g.Longitude, 'E', 'W', CoordinateDecimals))
                       .arg(g.Height, 0, 'f', MetreDecimals);
    if (st.HasHeight)
        text += QString(", antenna %1 m").arg(st.Height * RtcmStationUnit, 0, 'f', MetreDecimals);
    text += s.HasBaseline ? QString("; baseline %1 m").arg(s.Baseline, 0, 'f', MetreDecimals)
                          : QString("; baseline: no receiver position");
    return text;
}

QString Bytes(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<int>(text.size()));
}

QString DescriptorText(const RtcmSnapshot& s) {
    if (!s.Latest.HasDescriptor) return "Antenna: none yet (1007/1008/1033)";
    const RtcmDescriptor& d = s.Latest.Descriptor;
    QString text = QString("Antenna \"%1\", setup %2").arg(Bytes(d.Antenna)).arg(d.SetupId);
    if (d.HasSerial && !d.AntennaSerial.empty()) text += ", serial " + Bytes(d.AntennaSerial);
    if (d.HasReceiver)
        text += QString("; receiver \"%1\", firmware %2, serial %3")
                    .arg(Bytes(d.Receiver), Bytes(d.Firmware), Bytes(d.ReceiverSerial));
    return text;
}

}  // namespace

TRtcmView::TRtcmView(NMEA_Manager& store, QWidget* parent) : QWidget(parent), FStore(store) {
    messageTable = NewTable(MessageColumns, this);
    messageTable->setSortingEnabled(true);
    stationLabel = new QLabel(this);
    descriptorLabel = new QLabel(this);
    satelliteTable = NewTable(SatelliteColumns, this);
    summaryLabel = new QLabel(this);
    for (QLabel* label : {stationLabel, descriptorLabel, summaryLabel}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(messageTable, 2);
    layout->addWidget(stationLabel);
    layout->addWidget(descriptorLabel);
    layout->addWidget(satelliteTable, 1);
    layout->addWidget(summaryLabel);
}

void TRtcmView::Refresh() {
    Refresh(TNmeaFetch::ArrivalClockS());
}

void TRtcmView::Refresh(double nowS) {
    const RtcmSnapshot s = Take(FStore);
    messageTable->setSortingEnabled(false);
    messageTable->setRowCount(static_cast<int>(s.Rows.size()));
    for (int row = 0; row < messageTable->rowCount(); ++row) {
        const RtcmTally::Row& r = s.Rows[static_cast<size_t>(row)];
        const bool timed = r.TimedFrames > 0;
        messageTable->setItem(row, 0, Cell(r.Number));
        messageTable->setItem(row, 1, Cell(QString::fromStdString(RtcmMessageName(r.Number))));
        messageTable->setItem(row, 2, Cell(static_cast<qulonglong>(r.Frames)));
        messageTable->setItem(
            row, 3,
            Cell(timed ? QVariant(QString::number(r.Rate(), 'f', RateDecimals)) : QVariant()));
        messageTable->setItem(
            row, 4,
            Cell(timed ? QVariant(QString::number(nowS - r.LastAt, 'f', AgeDecimals))
                       : QVariant()));
    }
    messageTable->setSortingEnabled(true);
    stationLabel->setText(StationText(s));
    descriptorLabel->setText(DescriptorText(s));

    satelliteTable->setRowCount(0);
    for (int i = 0; i < RtcmSystemCount; ++i) {
        if (!s.Latest.HasMsm[i]) continue;
        const RtcmMsm& m = s.Latest.Msm[i];
        uint16_t numbers[64];
        const int n = MsmSatelliteNumbers(m, numbers);
        QString list;
        for (int k = 0; k < n; ++k)
            list += QString("%1%2 ").arg(RtcmSystemLetter(m.System)).arg(numbers[k]);
        const int row = satelliteTable->rowCount();
        satelliteTable->insertRow(row);
        satelliteTable->setItem(row, 0, Cell(QString(RtcmSystemName(m.System))));
        satelliteTable->setItem(row, 1, Cell(QString("MSM%1").arg(m.Kind)));
        satelliteTable->setItem(row, 2, Cell(list.trimmed()));
        satelliteTable->setItem(row, 3, Cell(m.Signals));
        satelliteTable->setItem(row, 4, Cell(m.Cells));
    }
    summaryLabel->setText(QString("Frames %1: unknown %2, proprietary %3, too short %4; bad CRC %5")
                              .arg(s.Frames)
                              .arg(s.Unknown)
                              .arg(s.Proprietary)
                              .arg(s.Malformed)
                              .arg(s.BadCrcs));
}
