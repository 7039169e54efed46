#include "control/DesktopLinks.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
UrlObserver& Observer() {
    static UrlObserver observer;
    return observer;
}
}  // namespace

void SetUrlObserver(UrlObserver observer) {
    Observer() = std::move(observer);
}

bool OpenDesktopUrl(const QString& address) {
    if (Observer()) return Observer()(address);
    return QDesktopServices::openUrl(QUrl(address));
}
