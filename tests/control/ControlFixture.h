// A store, a configuration and an observed message box for the panel tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "nmea/NmeaManager.h"
#include "shell/GpsConfig.h"
#include "shell/MessageBox.h"

struct ShownMessage {
    std::string Text;
    std::string Caption;
};

class ControlFixture : public testing::Test {
  protected:
    void SetUp() override {
        FStore = std::make_unique<NMEA_Manager>();
        FConfig = std::make_unique<GPSConfig>();
        NmeaManager = FStore.get();
        GpsConfig = FConfig.get();
        SetMessageObserver([this](const std::string& text, const std::string& caption) {
            Messages.push_back({text, caption});
        });
    }
    void TearDown() override {
        SetMessageObserver({});
        NmeaManager = nullptr;
        GpsConfig = nullptr;
    }

    std::vector<ShownMessage> Messages;

  private:
    std::unique_ptr<NMEA_Manager> FStore;
    std::unique_ptr<GPSConfig> FConfig;
};
