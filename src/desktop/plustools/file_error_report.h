#pragma once

#include <QString>
#include <vector>

#include "platform/file_error.h"

class QWidget;

namespace leafwright {

// The text of a file-error report: the file's path and the cause.
QString fileErrorText(const FileError& error);

// Shows a file error in a message box over `owner` (warning icon, OK), under
// the caption of the program's other messages.
void reportFileError(QWidget* owner, const FileError& error);

// Test seam. While an object of this class lives, reportFileError opens no
// window: each error is recorded instead.
class FileErrorReportSeam {
public:
    FileErrorReportSeam();
    ~FileErrorReportSeam();
    FileErrorReportSeam(const FileErrorReportSeam&) = delete;
    FileErrorReportSeam& operator=(const FileErrorReportSeam&) = delete;

    const std::vector<FileError>& reported() const { return reported_; }

    static FileErrorReportSeam* active();
    void record(const FileError& error) { reported_.push_back(error); }

private:
    std::vector<FileError> reported_;
};

}  // namespace leafwright
