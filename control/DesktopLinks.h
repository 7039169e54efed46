// The one way the monitor hands a web or mail address to the desktop.
// Tests install an observer that receives the address instead.
#pragma once

#include <QString>
#include <functional>

// An observer answers whether the address was opened.
using UrlObserver = std::function<bool(const QString& address)>;

// False when the desktop has nothing that opens the address (no browser or
// mail program).
bool OpenDesktopUrl(const QString& address);
// An empty observer restores the desktop.
void SetUrlObserver(UrlObserver observer);
