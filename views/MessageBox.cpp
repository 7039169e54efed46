#include "views/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MessageObserver& Observer() {
    static MessageObserver observer;
    return observer;
}
}  // namespace

void SetMessageObserver(MessageObserver observer) {
    Observer() = std::move(observer);
}

void ShowMessage(const std::string& text, const std::string& caption) {
    if (Observer()) {
        Observer()(text, caption);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool AskYesNo(const std::string& text, const std::string& caption) {
    return QMessageBox::question(QApplication::activeWindow(), QString::fromStdString(caption),
                                 QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}
