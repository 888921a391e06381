#pragma once

#include <QMessageBox>
#include <QString>
#include <vector>

#include "core/platform/active_seam.h"

class QWidget;

namespace leafwright {

class FileError;

// Messages that do not come from the string table: the reports of the file
// layer and of the text fields. They are shown with an OK button and a
// warning icon (unless another is given) under the same caption as the
// string-table messages.
void showNotice(QWidget* owner, const QString& text, QMessageBox::Icon icon = QMessageBox::Warning);

// The text that reports a file that could not be read or written, naming the
// file and the cause.
QString fileErrorNotice(const FileError& error);
void showFileError(QWidget* owner, const FileError& error);

// The text that reports a field holding more characters than it accepts.
QString tooManyCharactersText(int limit);

// Test seam. While an object of this class lives, showNotice opens no window;
// it records the text instead.
class NoticeBoxSeam : public ActiveSeam<NoticeBoxSeam> {
  public:
    const std::vector<QString>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

    void record(const QString& text) { shown_.push_back(text); }

  private:
    std::vector<QString> shown_;
};

}  // namespace leafwright
