#include "plustools/file_error_report.h"

#include <QFile>
#include <QMessageBox>

#include "platform/message_box.h"

namespace leafwright {

namespace {
FileErrorReportSeam* activeSeam = nullptr;
}  // namespace

QString fileErrorText(const FileError& error) {
    return QStringLiteral("The file %1 cannot be used: %2.")
        .arg(QFile::decodeName(QByteArray::fromStdString(error.path())),
             QString::fromStdString(error.cause()));
}

void reportFileError(QWidget* owner, const FileError& error) {
    if (FileErrorReportSeam* seam = FileErrorReportSeam::active()) {
        seam->record(error);
        return;
    }
    QMessageBox box(QMessageBox::Warning, messageCaption(), fileErrorText(error), QMessageBox::Ok,
                    owner);
    box.exec();
}

FileErrorReportSeam::FileErrorReportSeam() { activeSeam = this; }

FileErrorReportSeam::~FileErrorReportSeam() {
    if (activeSeam == this) activeSeam = nullptr;
}

FileErrorReportSeam* FileErrorReportSeam::active() { return activeSeam; }

}  // namespace leafwright
