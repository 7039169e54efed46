// A monitor of the test's own (store, configuration, port, connection) and an
// observed message box for the panel tests. The fixture names its parts as
// the monitor does, so a test reads NmeaManager, GpsConfig and ComPort.
#pragma once

#include <gtest/gtest.h>

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

    // The store, also for panels built as members before SetUp.
    NMEA_Manager& Store() { return *NmeaManager; }

    std::unique_ptr<Monitor> Parts = std::make_unique<Monitor>();
    NMEA_Manager* const NmeaManager = &Parts->NmeaManager;
    GPSConfig* const GpsConfig = &Parts->GpsConfig;
    YComPort* const ComPort = &Parts->ComPort;
    std::vector<ShownMessage> Messages;
};
