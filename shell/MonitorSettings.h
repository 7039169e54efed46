// The monitor's choices kept between runs, in an INI file in the user's
// configuration folder: the port or link, baud rate and detection mode, the
// u-blox dialog's choices, the SiRF output intervals, the last capture folder
// the sky view's axis and layout toggles, the main window's place and size,
// the evaluation window's campaign choices and reference position, and the
// corrections window's caster, mountpoint, user, password (never in clear)
// and GGA interval.
//
// Every value is checked on reading; one that is missing or out of range
// leaves the control as it is. A damaged or unreadable file is ignored as a
// whole: the monitor starts with its defaults.
#pragma once

#include <QString>
#include <mutex>
#include <string>

class TFComPortSetting;
class TFmNmeaChoice_ub;
class TFNmeaChoice;
class TFUtilButton;
class TFSViewer;
class TEvaluationWindow;
class TCorrectionsWindow;
class TMainForm;
class InterferenceWatch;

// The controls whose state is kept; any may be null.
struct SettingsTargets {
    TFComPortSetting* Port = nullptr;
    TFmNmeaChoice_ub* Ublox = nullptr;
    TFNmeaChoice* Sirf = nullptr;
    TFUtilButton* Tools = nullptr;
    TFSViewer* Sky = nullptr;
    TMainForm* Window = nullptr;              // its place and size, restored onto the screen
    TEvaluationWindow* Evaluation = nullptr;  // the campaign's choices and the reference
    InterferenceWatch* Watch = nullptr;       // its thresholds, set under WatchLock
    std::mutex* WatchLock = nullptr;
    TCorrectionsWindow* Corrections = nullptr;  // caster, mountpoint, user, password (obscured)
};

class MonitorSettings {
  public:
    // The file the monitor uses: lumarokub/lumarokub.ini in the user's
    // configuration folder.
    static QString DefaultFile();

    explicit MonitorSettings(QString file) : FFile(std::move(file)) {}

    // Applies the kept choices. False, with the reason in 'problem', when the
    // file is damaged or unreadable; nothing is applied then. A missing file
    // is a first run: nothing to apply, no problem.
    bool Restore(const SettingsTargets& targets, std::string& problem) const;
    // Writes the controls' present choices; false with the reason when the
    // file cannot be written.
    bool Save(const SettingsTargets& targets, std::string& problem) const;

  private:
    QString FFile;
};
