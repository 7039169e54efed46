// The receiver detection thread: opens the chosen port, or tries ports and
// baud rates one after another until a receiver answers with NMEA text, and
// then releases the reader thread. In its close mode it closes the port.
//
// Everything it does to the port panel, the status bar and the position panel
// goes to the user-interface thread through Queue, never Synchronize: the
// panel's close sequence waits for this thread, so it must never wait for
// the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/GpsConfig.h"
#include "serial/Source.h"
#include "thread/YThread.h"

class YComPort;

constexpr int BaudRateCount = 6;
extern const int32_t BaudRateTable[BaudRateCount];
// The names of the detection modes, as the port panel lists them.
extern const char* const DetectModeTexts[ModeClose];

// What the detection thread changes outside itself. Every call is queued to
// the user-interface thread.
class DetectTarget {
  public:
    virtual ~DetectTarget() = default;
    virtual void SelectPort(int index) = 0;
    virtual void SelectBaud(int index) = 0;
    virtual void SetButtonCaption(const std::string& caption) = 0;
    virtual void EnableWatchTimer() = 0;
    virtual void ClearProlificFound() = 0;
    virtual void RefreshStatus() = 0;
    virtual void StopFixTimer() = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // The attempt's course, for a target that keeps its state: a port and
    // rate about to be tried, the port accepted, detection ended without one.
    virtual void Trying(const Source& /*port*/, int32_t /*rate*/) {}
    virtual void Accepted(const Source& /*port*/, int32_t /*rate*/) {}
    virtual void DetectionFailed() {}
    // A line for the console about the attempt.
    virtual void Note(const std::string& /*line*/) {}
};

// The port panel's lists as they stood when the attempt started.
struct DetectLists {
    std::vector<std::string> Ports;  // list entries: device paths, or COMn on Windows
    int SelectedPort = 0;
    int SelectedBaud = 0;
};

class TGpsDeviceDetect : public YThread {
  public:
    // Works on `port`; `reader` is the suspended reader thread to release
    // (may be null).
    TGpsDeviceDetect(bool createSuspended, DetectLists lists, int32_t mode, DetectTarget* target,
                     GPSConfig& config, YComPort* port, YThread* reader);
    // The same with a target that lives as long as the work queued for it.
    TGpsDeviceDetect(bool createSuspended, DetectLists lists, int32_t mode,
                     std::shared_ptr<DetectTarget> target, GPSConfig& config, YComPort* port,
                     YThread* reader);
    ~TGpsDeviceDetect() override;

    static constexpr unsigned ProbeWaitMs = 1000;

  protected:
    void Execute() override;

  private:
    bool Probe(const Source& port, int32_t rate);
    void Accept(const Source& port, int32_t rate);
    void Try(const Source& port, int32_t rate);
    // Opens `port` at `rate` for a trial; closes it again when that fails.
    bool OpenForTrial(const Source& port, int32_t rate);
    void CloseLink();
    bool TryPort(int index, int baudIndex);
    void RunGeneral();
    void RunPortDetect();
    void RunBaudDetect();
    void RunAutoDetect();
    bool SelectedIsLink() const;
    void RunLinkInBaudMode();
    void ReportFailure();
    // Waits the probe's settling time; false when asked to terminate meanwhile.
    bool SettleWait();
    template <class F>
    void OnUi(F&& f);

    DetectLists FLists;
    int32_t FMode;
    std::shared_ptr<DetectTarget> FTarget;
    GPSConfig& FConfig;
    YComPort* FPort;
    YThread* FReader;
    char FProbeBuffer[102] = {};
    std::string FFailedPort;   // the path "General" could not open
    std::string FOpenFailure;  // why "General" could not open its port, when it is not absence
    std::string FLinkFailure;  // why "General" could not open its link
};
