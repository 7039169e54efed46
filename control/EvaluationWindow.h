// The receiver-evaluation window: time-to-fix campaigns, the accuracy of a
// static position, the signal history, the satellites as a sortable table,
// and the export of the recording as CSV, GPX or KML and of its alarms as
// CSV. It reads the store and the recording under the store lock, a slice at
// a time, so the reader never waits long; it refreshes once a second while
// shown.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "eval/Accuracy.h"
#include "eval/InterferenceWatch.h"
#include "eval/TtffCampaign.h"
#include "nmea/Constellation.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QTimer;
class EpochRecorder;
class NMEA_Manager;
class TCampaignPanel;
class THealthView;
class THistoryView;
class TRtcmView;
class TScatterView;

class TEvaluationWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int RefreshMs = 1000;
    static constexpr double HistorySeconds = 600;  // the window of the signal history

    // Chooses a file to save to; empty when cancelled (tests answer themselves).
    using SaveChooser = std::function<QString(const QString& title, const QString& filter)>;

    TEvaluationWindow(NMEA_Manager& store, EpochRecorder& recording,
                      TtffCampaign::SendRestart restart, QWidget* parent = nullptr);

    void Refresh();
    void ResetAccuracy();
    // Writes the recording in 'format' ("csv", "gpx" or "kml", or "alarms":
    // the interference watch's alarms as CSV); false when the file cannot be
    // written.
    bool ExportRecording(const QString& file, const QString& format);
    // Also the chooser of the campaign's export.
    void SetSaveChooser(SaveChooser chooser);
    void ShowCampaign();
    // Highlights a satellite's line in the signal history (chosen in the
    // satellites table or in the sky view).
    void ChooseSatellite(Constellation system, int prn);
    // The reference typed as "lat, lon[, alt]" (degrees, metres). Empty text
    // means the mean, with no refusal; a text that is not a position gives
    // nothing and the reason in 'refusal'.
    static std::optional<ReferencePosition> ParseReference(const QString& text, QString& refusal);

    QTabWidget* tabs = nullptr;
    TCampaignPanel* campaign = nullptr;
    TScatterView* scatter = nullptr;
    QLineEdit* referenceEdit = nullptr;  // "lat, lon[, alt]" or empty: the mean
    QLabel* referenceNote = nullptr;  // why the reference typed is refused; hidden when it is not
    QPushButton* resetButton = nullptr;
    THistoryView* history = nullptr;
    QComboBox* systemCombo = nullptr;
    QLineEdit* satelliteEdit = nullptr;  // satellites to show, e.g. "G5 R70"; empty: all
    QScrollBar* historyScroll = nullptr;
    QTableWidget* satelliteTable = nullptr;
    QTableWidget* messageTable = nullptr;  // sentences, UBX and RTCM 3 frames
    QLabel* bytesLabel = nullptr;          // every byte read, by class
    TRtcmView* rtcmView = nullptr;         // the RTCM 3 corrections
    THealthView* healthView = nullptr;     // antenna, jamming, spoofing, spectrum, alarms
    QLabel* recordingLabel = nullptr;
    // How many epochs the recording keeps, in thousands; the oldest go first.
    QSpinBox* keepSpin = nullptr;

  protected:
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

  private:
    QWidget* BuildAccuracyTab();
    QWidget* BuildSignalsTab();
    QWidget* BuildSatellitesTab();
    QWidget* BuildMessagesTab();
    QWidget* BuildExportRow();
    void RefreshAccuracy();
    void RefreshHistory();
    void RefreshSatellites();
    void RefreshMessages();
    // Visits the epochs recorded from absolute index 'first' up to 'last'
    // (excluded), a slice at a time under the store lock.
    void VisitFrom(uint64_t first, const EpochVisitor& visit, uint64_t last = UINT64_MAX);
    // The reference typed, telling below it why one is refused.
    std::optional<ReferencePosition> Reference();
    // Asks for a file and writes the recording to it in 'format'; a name
    // typed without a suffix gets 'suffix'.
    void ExportWithDialog(const QString& format, const QString& suffix, const QString& title);
    void FitToScreen();
    std::vector<WatchEvent> Alarms() const;

    NMEA_Manager& FStore;
    EpochRecorder& FRecording;
    QTimer* FTimer = nullptr;
    uint64_t FAccuracyNext = 0;     // absolute index of the next epoch to take
    std::vector<FixSample> FFixes;  // the fixes since the last reset
    size_t FMeasuredFixes = 0;      // fixes in the figures shown
    QString FMeasuredReference;     // the reference they were measured about
    SaveChooser FChooseFile;
    std::map<std::string, uint64_t> FLastCounts;  // sound sentences by address at the last refresh
    double FLastCountsAt = -1;                    // seconds
};
