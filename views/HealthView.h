// The receiver's health: per RF block its antenna, jamming state and
// indicator, AGC and noise; the spoofing state; the spectrum of each block
// (MON-SPAN) with the GNSS bands marked; and the interference watch's
// alarms (time, kind, values). It copies what it shows from the store and
// the recording under the store's lock and fills its widgets after.
#pragma once

#include <QWidget>
#include <vector>

#include "eval/InterferenceWatch.h"
#include "ubx/UbxHealthRecords.h"

class QLabel;
class QTableWidget;
class EpochRecorder;
class NMEA_Manager;

// The spectra of the RF blocks, one above the other, in dB against MHz,
// with the GNSS bands that fall in each span marked and named.
class TSpectrumPlot : public QWidget {
    Q_OBJECT
  public:
    explicit TSpectrumPlot(QWidget* parent = nullptr);
    void SetSpectra(const UbxSpanRecord& spectra);
    const UbxSpanRecord& Spectra() const { return FSpectra; }
    // The bands drawn on block 'block' by name ("L1", "E5a", ...).
    std::vector<const char*> BandsShown(int block) const;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    UbxSpanRecord FSpectra;
};

class THealthView : public QWidget {
    Q_OBJECT
  public:
    THealthView(NMEA_Manager& store, EpochRecorder& recording, QWidget* parent = nullptr);

    void Refresh();

    QLabel* summaryLabel = nullptr;      // jamming, indicator, spoofing
    QTableWidget* blockTable = nullptr;  // block, antenna, power, jamming, indicator, AGC, noise
    TSpectrumPlot* spectrum = nullptr;
    QTableWidget* eventTable = nullptr;  // time, kind, value, threshold, what

  private:
    NMEA_Manager& FStore;
    EpochRecorder& FRecording;
    size_t FEventsShown = 0;
};
