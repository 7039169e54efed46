#include "control/PortEnumeration.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>

#include "views/MessageBox.h"

const char* const NoPortMessage = "There is no com port detected and application will be closed";

namespace {

constexpr const char* ApplicationTitle = "LumarokUb";

PortDiscovery& Discovery() {
    static PortDiscovery discovery;
    return discovery;
}

bool& NoPortAllowed() {
    static bool allowed = false;
    return allowed;
}

std::vector<std::string>& Extra() {
    static std::vector<std::string> paths;
    return paths;
}

void AskApplicationToEnd() {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, "quit", Qt::QueuedConnection);
}

}  // namespace

bool FindProlificPort(ProlificPort& prolific) {
    const std::string found = Discovery().FindProlificPort();
    if (found.empty()) return false;
    prolific.ProlificPortName = found;
    return true;
}

int EnumerateSerialPorts(std::vector<std::string>& list, ProlificPort& prolific) {
    list = Discovery().ListPorts();
    for (const std::string& path : Extra())
        if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == prolific.ProlificPortName) prolific.ProlificIndex = static_cast<int>(i);
    if (list.empty() && !NoPortAllowed()) {
        ShowMessage(NoPortMessage, ApplicationTitle);
        AskApplicationToEnd();
    }
    return static_cast<int>(list.size());
}

void SetPortDiscovery(const PortDiscovery& discovery) {
    Discovery() = discovery;
}

void AllowNoPort(bool allowed) {
    NoPortAllowed() = allowed;
}

void SetExtraPorts(std::vector<std::string> paths) {
    Extra() = std::move(paths);
}

void AddExtraPort(const std::string& path) {
    if (std::find(Extra().begin(), Extra().end(), path) == Extra().end()) Extra().push_back(path);
}

const std::vector<std::string>& ExtraPorts() {
    return Extra();
}
