// A store, a configuration and an observed message box for the panel tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/GpsConfig.h"
#include "nmea/NmeaManager.h"
#include "views/MessageBox.h"

struct ShownMessage {
    std::string Text;
    std::string Caption;
};

class ControlFixture : public testing::Test {
  protected:
    void SetUp() override {
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

    // The store, also for panels built as members before SetUp.
    NMEA_Manager& Store() { return *FStore; }

    std::vector<ShownMessage> Messages;

  private:
    std::unique_ptr<NMEA_Manager> FStore = std::make_unique<NMEA_Manager>();
    std::unique_ptr<GPSConfig> FConfig = std::make_unique<GPSConfig>();
};
