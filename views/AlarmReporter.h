// Tells each new alarm of the interference watch once, on the user-interface
// thread: it looks at the recording's alarms a few times a second (under the
// store's lock) and hands each new one to 'report' as one line, e.g.
// "ALARM jamming: jamming indicator 194 (threshold 100)". A status bar,
// which shows one note, gets the alarms of one look as one note instead: the
// first of them, and the kinds of the others after it. The watch's rules run
// from the receiver's own reports to the signs read from its output, so the
// first is the strongest ("ALARM spoofing: ... (also position-jump)").
#pragma once

#include <QObject>
#include <functional>
#include <string>

class EpochRecorder;
class NMEA_Manager;
class QTimer;

class TAlarmReporter : public QObject {
    Q_OBJECT
  public:
    static constexpr int PollMs = 250;
    using Report = std::function<void(const std::string& line)>;

    TAlarmReporter(NMEA_Manager& store, EpochRecorder& recording, Report report,
                   QObject* parent = nullptr);

    void SetNoteReport(Report note) { FNote = std::move(note); }

    // Reports the alarms raised since the last look; how many.
    int Poll();

  private:
    NMEA_Manager& FStore;
    EpochRecorder& FRecording;
    Report FReport;
    Report FNote;
    size_t FReported = 0;
    QTimer* FTimer = nullptr;
};
