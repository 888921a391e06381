#include "desktop/platform/message_box.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "core/settings/messages.h"

namespace leafwright {

MessageStyle messageStyle(int id) {
    switch (id) {
        case kNoItemsSelected:
        case kTextListEmpty:
        case kPdfListEmpty:
            return {QMessageBox::Ok, QMessageBox::Information};
        case kOverwriteQuestion:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon};
        default:
            return {QMessageBox::Ok, QMessageBox::NoIcon};
    }
}

QString messageCaption() {
    QString program = QCoreApplication::applicationFilePath();
    if (program.isEmpty() && !QCoreApplication::arguments().isEmpty())
        program = QCoreApplication::arguments().first();
    return QFileInfo(program).completeBaseName();
}

QMessageBox::StandardButton showMessage(QWidget* owner, int id) {
    if (MessageBoxSeam* seam = MessageBoxSeam::active()) return seam->answer(id);

    const MessageStyle style = messageStyle(id);
    QMessageBox box(style.icon, messageCaption(), QString::fromStdString(messageText(id)),
                    style.buttons, owner);
    // Enter takes the first button, as the platform's own message boxes do.
    box.setDefaultButton(style.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes
                                                                  : QMessageBox::Ok);
    if (style.buttons.testFlag(QMessageBox::No)) box.setEscapeButton(QMessageBox::No);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton MessageBoxSeam::answer(int id) {
    shown_.push_back(id);
    if (!answers_.empty()) {
        const QMessageBox::StandardButton next = answers_.front();
        answers_.pop_front();
        return next;
    }
    return messageStyle(id).buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
}

}  // namespace leafwright
