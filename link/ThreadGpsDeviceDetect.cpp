#include "link/ThreadGpsDeviceDetect.h"

#include <chrono>
#include <thread>

#include "serial/LinkUrl.h"
#include "serial/PortAdvice.h"
#include "serial/YComPort.h"

const int32_t BaudRateTable[BaudRateCount] = {4800, 9600, 19200, 38400, 57600, 115200};
const char* const DetectModeTexts[ModeClose] = {"General", "Port Detect", "BR Detect",
                                                "Auto Detect"};

namespace {

constexpr unsigned SettleStepMs = 10;
constexpr const char* TextOpen = "Open";
constexpr const char* TextPortMissing = "port doesn't exist: ";
constexpr const char* TextPortUnusable = " can't be opened";
constexpr const char* TextNoReceiver = "no GPS device detected";
constexpr const char* CaptionError = "error";
constexpr const char* TextRateModeNote =
    " does not apply to a link: no baud rate to search. Opened as in General.";

}  // namespace

TGpsDeviceDetect::TGpsDeviceDetect(bool createSuspended, DetectLists lists, int32_t mode,
                                   DetectTarget* target, GPSConfig& config, YComPort* port,
                                   YThread* reader)
    : TGpsDeviceDetect(createSuspended, std::move(lists), mode,
                       std::shared_ptr<DetectTarget>(std::shared_ptr<DetectTarget>(), target),
                       config, port, reader) {}

TGpsDeviceDetect::TGpsDeviceDetect(bool createSuspended, DetectLists lists, int32_t mode,
                                   std::shared_ptr<DetectTarget> target, GPSConfig& config,
                                   YComPort* port, YThread* reader)
    : YThread(createSuspended),
      FLists(std::move(lists)),
      FMode(mode),
      FTarget(std::move(target)),
      FConfig(config),
      FPort(port),
      FReader(reader) {}

TGpsDeviceDetect::~TGpsDeviceDetect() {
    Shutdown();
}

template <class F>
void TGpsDeviceDetect::OnUi(F&& f) {
    // The queued work holds the target: a target shared with this thread
    // outlives it.
    if (FTarget) Queue([target = FTarget, f = std::forward<F>(f)] { f(*target); });
}

bool TGpsDeviceDetect::SettleWait() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ProbeWaitMs);
    while (std::chrono::steady_clock::now() < end) {
        if (Terminated()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(SettleStepMs));
    }
    return true;
}

bool TGpsDeviceDetect::Probe(const Source& port, int32_t rate) {
    // Closing while the probe settles ends it at once: nothing is accepted.
    if (!SettleWait() || ReadSentence(FPort, FProbeBuffer, false) == 0) {
        ClosePort(FPort);
        return false;
    }
    FConfig.BaudRate.store(rate);
    FConfig.SetPort(port);
    Accept(port, rate);
    Terminate();
    return true;
}

void TGpsDeviceDetect::Try(const Source& port, int32_t rate) {
    OnUi([port, rate](DetectTarget& t) { t.Trying(port, rate); });
}

void TGpsDeviceDetect::Accept(const Source& port, int32_t rate) {
    FConfig.SetPortOpen(true);
    OnUi([port, rate](DetectTarget& t) {
        t.Accepted(port, rate);
        t.RefreshStatus();
    });
    if (FReader) FReader->Resume();
}

void TGpsDeviceDetect::CloseLink() {
    ClosePort(FPort);
    FConfig.SetPortOpen(false);
    OnUi([](DetectTarget& t) {
        t.RefreshStatus();
        t.SetButtonCaption(TextOpen);
    });
}

bool TGpsDeviceDetect::OpenForTrial(const Source& port, int32_t rate) {
    Try(port, rate);
    if (OpenPort(FPort, port, rate, FConfig.DataBits, FConfig.Parity, FConfig.StopBits))
        return true;
    ClosePort(FPort);
    return false;
}

bool TGpsDeviceDetect::TryPort(int index, int baudIndex) {
    const Source port = Source::FromEntry(FLists.Ports[index]);
    const int32_t rate = BaudRateTable[baudIndex];
    if (!OpenForTrial(port, rate) || !Probe(port, rate)) return false;
    OnUi([index, baudIndex](DetectTarget& t) {
        t.SelectPort(index);
        t.SelectBaud(baudIndex);
    });
    return true;
}

void TGpsDeviceDetect::RunGeneral() {
    const Source port = FConfig.Port();
    const int32_t rate = FConfig.BaudRate;
    Try(port, rate);
    if (OpenPort(FPort, port, rate, FConfig.DataBits, FConfig.Parity, FConfig.StopBits)) {
        Accept(port, rate);
        return;
    }
    if (!FPort) return;
    if (port.IsLink()) {
        FLinkFailure = FPort->LastError();
        return;
    }
    FFailedPort = port.Text();
    FOpenFailure = PortOpenAdvice(FFailedPort, FPort->LastError());
}

bool TGpsDeviceDetect::SelectedIsLink() const {
    const int selected = FLists.SelectedPort;
    return selected >= 0 && selected < static_cast<int>(FLists.Ports.size()) &&
           LooksLikeLinkUrl(FLists.Ports[selected]);
}

// A rate search has nothing to search on a link: it is opened as in General.
void TGpsDeviceDetect::RunLinkInBaudMode() {
    const std::string note = std::string("*** ") + DetectModeTexts[FMode] + TextRateModeNote;
    OnUi([note](DetectTarget& t) { t.Note(note); });
    RunGeneral();
}

void TGpsDeviceDetect::RunPortDetect() {
    const int baud = FLists.SelectedBaud;
    for (int i = 0; i < static_cast<int>(FLists.Ports.size()) && !Terminated(); ++i) {
        OnUi([i](DetectTarget& t) { t.SelectPort(i); });
        TryPort(i, baud);
    }
}

void TGpsDeviceDetect::RunBaudDetect() {
    const int index = FLists.SelectedPort;
    if (index < 0 || index >= static_cast<int>(FLists.Ports.size())) return;
    const Source port = Source::FromEntry(FLists.Ports[index]);
    for (int k = 0; k < BaudRateCount && !Terminated(); ++k) {
        OnUi([k](DetectTarget& t) { t.SelectBaud(k); });
        if (!OpenForTrial(port, BaudRateTable[k])) return;  // the port itself cannot be opened
        if (Probe(port, BaudRateTable[k])) OnUi([k](DetectTarget& t) { t.SelectBaud(k); });
    }
}

void TGpsDeviceDetect::RunAutoDetect() {
    for (int i = 0; i < static_cast<int>(FLists.Ports.size()) && !Terminated(); ++i) {
        OnUi([i](DetectTarget& t) { t.SelectPort(i); });
        const Source port = Source::FromEntry(FLists.Ports[i]);
        for (int j = 0; j < BaudRateCount && !Terminated(); ++j) {
            OnUi([j](DetectTarget& t) { t.SelectBaud(j); });
            if (!OpenForTrial(port, BaudRateTable[j])) break;  // on to the next port
            if (Probe(port, BaudRateTable[j])) {
                OnUi([i, j](DetectTarget& t) {
                    t.SelectPort(i);
                    t.SelectBaud(j);
                });
            }
        }
    }
}

void TGpsDeviceDetect::ReportFailure() {
    if (Terminated()) return;  // a probe succeeded, or the close sequence stopped us
    if (!FLinkFailure.empty() && !FConfig.IsPortOpen()) {
        OnUi([text = FLinkFailure](DetectTarget& t) {
            t.DetectionFailed();
            t.ShowMessage(text, CaptionError);
            t.EnableWatchTimer();
        });
    } else if (FMode == ModeGeneral && !FConfig.IsPortOpen()) {
        // An absent port is said so; a port that is there but would not open
        // is named with the reason and what the user can do about it.
        const std::string text = FOpenFailure.empty()
                                     ? TextPortMissing + FFailedPort
                                     : FFailedPort + TextPortUnusable + "\n\n" + FOpenFailure;
        OnUi([text](DetectTarget& t) {
            t.DetectionFailed();
            t.SetButtonCaption(TextOpen);
            t.ShowMessage(text, CaptionError);
            t.ClearProlificFound();
            t.EnableWatchTimer();
        });
    } else if (!FConfig.IsPortOpen()) {
        OnUi([](DetectTarget& t) {
            t.DetectionFailed();
            t.ShowMessage(TextNoReceiver, CaptionError);
            t.EnableWatchTimer();
            t.StopFixTimer();
        });
    }
}

void TGpsDeviceDetect::Execute() {
    switch (FMode) {
        case ModeClose:
            CloseLink();
            return;
        case ModeGeneral:
            RunGeneral();
            break;
        case ModePortDetect:
            RunPortDetect();
            break;
        case ModeBaudDetect:
            if (SelectedIsLink())
                RunLinkInBaudMode();
            else
                RunBaudDetect();
            break;
        case ModeAutoDetect:
            if (SelectedIsLink())
                RunLinkInBaudMode();
            else
                RunAutoDetect();
            break;
        default:
            return;
    }
    ReportFailure();
}
