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
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll |
                        QMessageBox::NoToAll | QMessageBox::Cancel,
                    QMessageBox::NoIcon};
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

namespace {

// Where a message's detail goes: on a line of its own in the text, or
// below it as the box's informative text.
enum class DetailPlace { SecondLine, Informative };

QMessageBox::StandardButton showMessageWith(QWidget* owner, int id, const QString& detail,
                                            DetailPlace place = DetailPlace::SecondLine) {
    if (MessageBoxSeam* seam = MessageBoxSeam::active()) return seam->answer(id, detail);

    const MessageStyle style = messageStyle(id);
    QString text = QString::fromStdString(messageText(id));
    if (!detail.isEmpty() && place == DetailPlace::SecondLine) text += QLatin1Char('\n') + detail;
    QMessageBox box(style.icon, messageCaption(), text, style.buttons, owner);
    if (place == DetailPlace::Informative) box.setInformativeText(detail);
    // Enter takes the first button, as the platform's own message boxes do.
    box.setDefaultButton(style.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes
                                                                  : QMessageBox::Ok);
    if (style.buttons.testFlag(QMessageBox::Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    else if (style.buttons.testFlag(QMessageBox::No))
        box.setEscapeButton(QMessageBox::No);
    // A long path is shown whole, not cut.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

QMessageBox::StandardButton showMessage(QWidget* owner, int id) {
    return showMessageWith(owner, id, {});
}

QMessageBox::StandardButton showMessageAbout(QWidget* owner, int id, const QString& path) {
    return showMessageWith(owner, id, path, DetailPlace::Informative);
}

QMessageBox::StandardButton askOverwrite(QWidget* owner, const QString& outputPath) {
    return showMessageWith(owner, kOverwriteQuestion, outputPath);
}

QMessageBox::StandardButton MessageBoxSeam::answer(int id, const QString& detail) {
    shown_.push_back(id);
    details_.push_back(detail);
    if (!answers_.empty()) {
        const QMessageBox::StandardButton next = answers_.front();
        answers_.pop_front();
        return next;
    }
    return messageStyle(id).buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
}

}  // namespace leafwright
