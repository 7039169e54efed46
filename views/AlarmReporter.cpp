#include "views/AlarmReporter.h"

#include <QTimer>
#include <mutex>
#include <vector>

#include "eval/EpochRecorder.h"
#include "nmea/NmeaManager.h"

TAlarmReporter::TAlarmReporter(NMEA_Manager& store, EpochRecorder& recording, Report report,
                               QObject* parent)
    : QObject(parent), FStore(store), FRecording(recording), FReport(std::move(report)) {
    FTimer = new QTimer(this);
    connect(FTimer, &QTimer::timeout, this, [this] { Poll(); });
    FTimer->start(PollMs);
}

int TAlarmReporter::Poll() {
    std::vector<std::string> lines, kinds;
    {
        std::lock_guard<std::mutex> hold(FStore.Lock());
        const std::vector<WatchEvent>& events = FRecording.Watch().Events();
        if (events.size() < FReported) FReported = 0;  // the recording was cleared
        for (size_t i = FReported; i < events.size(); ++i) {
            kinds.push_back(AlarmKindName(events[i].Kind));
            lines.push_back("ALARM " + kinds.back() + ": " + events[i].Text);
        }
        FReported = events.size();
    }
    for (const std::string& line : lines) FReport(line);
    if (FNote && !lines.empty()) {
        std::string note = lines.front();
        for (size_t i = 1; i < kinds.size(); ++i)
            note += (i == 1 ? " (also " : ", ") + kinds[i] + (i + 1 == kinds.size() ? ")" : "");
        FNote(note);
    }
    return static_cast<int>(lines.size());
}
