// The whole monitor window on the offscreen platform, connecting through its
// port panel to simulated receivers and silent lines on real pseudo-terminals.
// Ports come from a fake sysfs tree (with a folder of device links standing
// in for /dev) and from the extra-port list, never from the machine.
#pragma once

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QThread>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "ControlFixture.h"
#include "control/FrameComPortSetting.h"
#include "control/PortEnumeration.h"
#include "link/Connection.h"
#include "link/ThreadNMEAFetch.h"
#include "serial/YComPort.h"
#include "shell/MainForm.h"
#include "shell/QtUiDispatcher.h"
#include "tests/link/SimReceivers.h"
#include "tools/sim/ReceiverSimulator.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A sysfs tree of USB serial adapters and the device folder their names live
// in; each device is a link to a pseudo-terminal's slave.
class FakePorts {
  public:
    FakePorts()
        : Root(fs::temp_directory_path() / ("lumarokub_ports_" + std::to_string(getpid()))) {
        fs::remove_all(Root);
        fs::create_directories(Root / "sys" / "class" / "tty");
        fs::create_directories(Root / "dev");
    }
    ~FakePorts() { fs::remove_all(Root); }

    PortDiscovery Discovery() const {
        return PortDiscovery((Root / "sys").string(), (Root / "dev").string());
    }
    std::string DevicePath(const std::string& name) const { return (Root / "dev" / name).string(); }

    // Plugs in a USB adapter `name` of `vendor` whose line is `slavePath`.
    void Plug(const std::string& name, const std::string& vendor, const std::string& slavePath) {
        const fs::path usb = Root / "sys" / "devices" / "usb1" / ("1-" + name);
        const fs::path interface = usb / "1.0";
        fs::create_directories(interface);
        std::ofstream(usb / "idVendor") << vendor << "\n";
        const fs::path tty = Root / "sys" / "class" / "tty" / name;
        fs::create_directories(tty);
        fs::create_directory_symlink(interface, tty / "device");
        fs::remove(Root / "dev" / name);
        fs::create_symlink(slavePath, Root / "dev" / name);
    }
    void Unplug(const std::string& name) {
        fs::remove_all(Root / "sys" / "class" / "tty" / name);
        fs::remove(Root / "dev" / name);
    }

    fs::path Root;
};

class ConnectFixture : public ControlFixture {
  protected:
    void SetUp() override {
        ControlFixture::SetUp();
        YThread::SetMainDispatcher(&FDispatcher);
        SetPortDiscovery(Ports.Discovery());
        SetExtraPorts({});
    }
    void TearDown() override {
        if (Window) {
            EXPECT_TRUE(Window->Link().Shutdown(10s));
        }
        Window.reset();
        ClosePort(ComPort);
        YThread::SetMainDispatcher(nullptr);
        ControlFixture::TearDown();
    }

    // Builds the main window; its port panel lists the ports present now.
    void OpenWindow() {
        Window = std::make_unique<TMainForm>(*Parts);
        ASSERT_FALSE(Window->InitFailed());
        Panel = Window->FComPortSetting;
        ASSERT_NE(Panel, nullptr);
    }

    // Runs events until `done` or the time-out; false on time-out.
    template <class Done>
    bool RunUntil(Done done, std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= end) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(5);
        }
        return true;
    }
    void RunFor(std::chrono::milliseconds duration) {
        RunUntil([] { return false; }, duration);
    }

    void Choose(int port, int baud, int mode) {
        Panel->portCombo->setCurrentIndex(port);
        Panel->baudCombo->setCurrentIndex(baud);
        Panel->modeCombo->setCurrentIndex(mode);
    }
    void Press() { Panel->portButton->click(); }
    bool Connected() const { return GpsConfig->IsPortOpen(); }
    // The window has heard that the receiver answered (the detection thread
    // opens the port before the news arrives, and the reader may fill the
    // store meanwhile: it never waits for the window).
    bool WindowConnected() const { return Window->Link().Connected(); }
    // The detection thread has ended and its last changes have arrived.
    bool DetectionEnded() {
        const TGpsDeviceDetect* detect = Window->Link().DetectThread();
        if (detect && !detect->Finished()) return false;
        RunFor(50ms);
        return true;
    }
    QString Caption() const { return Panel->portButton->text(); }

    FakePorts Ports;
    std::unique_ptr<TMainForm> Window;
    TFComPortSetting* Panel = nullptr;

  private:
    QtUiDispatcher FDispatcher;
};
