#include "desktop/widgets/notice_box.h"

#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "core/platform/file_error.h"
#include "desktop/platform/message_box.h"

namespace leafwright {

void showNotice(QWidget* owner, const QString& text, QMessageBox::Icon icon) {
    if (NoticeBoxSeam* seam = NoticeBoxSeam::active()) {
        seam->record(text);
        return;
    }
    QMessageBox box(icon, messageCaption(), text, QMessageBox::Ok, owner);
    box.exec();
}

void postNotice(QWidget* owner, const QString& text, QMessageBox::Icon icon,
                std::vector<NoticeAnswer> answers) {
    if (NoticeBoxSeam* seam = NoticeBoxSeam::active()) {
        seam->record(text, std::move(answers));
        return;
    }
    auto* box = new QMessageBox(icon, messageCaption(), text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (NoticeAnswer& answer : answers) {
        QPushButton* button = box->addButton(answer.label, QMessageBox::ActionRole);
        // The box goes with its owner, so the action never outlives it.
        QObject::connect(button, &QPushButton::clicked, box,
                         [act = std::move(answer.act)] { act(); });
    }
    box->show();
    // Shown over a window that is itself just shown (the files named at
    // start-up), it takes the keys, so Enter closes it.
    box->raise();
    box->activateWindow();
}

QStringList NoticeBoxSeam::answers() const {
    QStringList labels;
    for (const NoticeAnswer& answer : answers_) labels << answer.label;
    return labels;
}

bool NoticeBoxSeam::press(const QString& label) {
    for (const NoticeAnswer& answer : answers_) {
        if (answer.label != label) continue;
        // The action may post the next notice, which replaces these answers.
        const std::function<void()> act = answer.act;
        act();
        return true;
    }
    return false;
}

QString fileErrorNotice(const FileError& error) {
    return QStringLiteral("The file \"%1\" could not be used: %2.")
        .arg(QFile::decodeName(QByteArray::fromStdString(error.path())),
             QString::fromStdString(error.cause()));
}

void showFileError(QWidget* owner, const FileError& error) {
    showNotice(owner, fileErrorNotice(error));
}

QString tooManyCharactersText(int limit) {
    return QStringLiteral("Enter no more than %1 characters.").arg(limit);
}

}  // namespace leafwright
