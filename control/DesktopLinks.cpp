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

void OpenDesktopUrl(const QString& address) {
    if (Observer()) {
        Observer()(address);
        return;
    }
    // No browser or mail program: nothing to tell the user.
    QDesktopServices::openUrl(QUrl(address));
}
