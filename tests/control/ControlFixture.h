// A monitor of the test's own (store, configuration, port, connection) and an
// observed message box for the panel tests. The fixture names its parts as
// the monitor does, so a test reads NmeaManager, GpsConfig and ComPort.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/Monitor.h"
#include "views/MessageBox.h"

struct ShownMessage {
    std::string Text;
    std::string Caption;
};

class ControlFixture : public testing::Test {
  protected:
    void SetUp() override {
        SetMessageObserver([this](const std::string& text, const std::string& caption) {
            Messages.push_back({text, caption});
        });
    }
    void TearDown() override { SetMessageObserver({}); }

    // Waits up to 10 s for `done` while the user-interface thread handles what
    // the reader queued.
    static bool Pump(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    // The store, also for panels built as members before SetUp.
    NMEA_Manager& Store() { return *NmeaManager; }

    std::unique_ptr<Monitor> Parts = std::make_unique<Monitor>();
    NMEA_Manager* const NmeaManager = &Parts->NmeaManager;
    GPSConfig* const GpsConfig = &Parts->GpsConfig;
    YComPort* const ComPort = &Parts->ComPort;
    std::vector<ShownMessage> Messages;
};
