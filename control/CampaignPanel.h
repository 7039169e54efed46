// The time-to-fix campaign in the window: what starts a run (a restart of a
// kind, or the start of corrections), what ends it (the 3D fix or RTK
// fixed), runs, time-out and pause; Start and Cancel; a live table of the runs, the summary, a
// histogram of the 3D times and a CSV export. The campaign restarts the receiver as the restart
// buttons do and reads the receiver's cycles from the recording.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <mutex>

#include "eval/TtffCampaign.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;
class EpochRecorder;
class THistogramView;

class TCampaignPanel : public QWidget {
    Q_OBJECT

  public:
    static constexpr int TickMs = 50;

    // 'lock' guards 'recording'; 'restart' sends a restart of a kind (false:
    // the link is closed).
    TCampaignPanel(QWidget* parent, std::mutex& lock, const EpochRecorder& recording,
                   TtffCampaign::SendRestart restart);
    ~TCampaignPanel() override;

    void Start();
    void Cancel();
    void Tick();
    // Corrections began to reach the receiver now: a campaign started by
    // corrections begins its next run (the Corrections window calls this on
    // connecting).
    void CorrectionsStarted();
    bool Running() const;
    const TtffCampaign* Campaign() const { return FCampaign.get(); }
    // Writes the campaign's CSV to 'file'; false when it cannot.
    bool ExportCsv(const QString& file) const;
    // Chooses the file "Export CSV..." writes; empty when cancelled (tests
    // answer themselves).
    using SaveChooser = std::function<QString(const QString& title, const QString& filter)>;
    void SetSaveChooser(SaveChooser chooser) { FChooseFile = std::move(chooser); }

    // The restart kinds in RestartKind's order, then CorrectionsStartIndex.
    static constexpr int CorrectionsStartIndex = 4;
    QComboBox* kindCombo = nullptr;
    QComboBox* untilCombo = nullptr;  // 0: the 3D fix, 1: RTK fixed
    QSpinBox* runsSpin = nullptr;
    QDoubleSpinBox* timeoutSpin = nullptr;
    QDoubleSpinBox* pauseSpin = nullptr;
    QPushButton* startButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* csvButton = nullptr;
    QTableWidget* runTable = nullptr;
    QLabel* summaryLabel = nullptr;
    THistogramView* histogram = nullptr;

  private:
    void ShowRuns();

    std::mutex& FLock;
    const EpochRecorder& FRecording;
    TtffCampaign::SendRestart FRestart;
    SaveChooser FChooseFile;
    std::unique_ptr<TtffCampaign> FCampaign;
    uint64_t FSeenCycles = 0;  // cycles of the recording the campaign has seen
    QTimer* FTimer = nullptr;
};
