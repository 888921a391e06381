#include "desktop/widgets/notice_box.h"

#include <QFile>
#include <QMessageBox>

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
