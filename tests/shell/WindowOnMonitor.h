// A main window over a monitor of its own, as main() makes them: each window
// test has its own store, configuration, port and connection.
#pragma once

#include <memory>

#include "link/Monitor.h"
#include "shell/MainForm.h"

struct WindowOnMonitor {
    std::unique_ptr<Monitor> Parts = std::make_unique<Monitor>();
    TMainForm Window{*Parts};
};
