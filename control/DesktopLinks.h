// The one way the monitor hands a web or mail address to the desktop.
// Tests install an observer that receives the address instead.
#pragma once

#include <QString>
#include <functional>

using UrlObserver = std::function<void(const QString& address)>;

void OpenDesktopUrl(const QString& address);
// An empty observer restores the desktop.
void SetUrlObserver(UrlObserver observer);
