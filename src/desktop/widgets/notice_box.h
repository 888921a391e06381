#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
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

// A button of a notice that does something beyond closing it.
struct NoticeAnswer {
    QString label;
    std::function<void()> act;
};

// A notice that does not wait: it opens over `owner` and returns at once, so
// that neither the window nor a drag that led to it is held; the user closes
// it when they like. Each answer is a button that closes the notice and runs
// its action (only while `owner` lives).
void postNotice(QWidget* owner, const QString& text, QMessageBox::Icon icon = QMessageBox::Warning,
                std::vector<NoticeAnswer> answers = {});

// The text that reports a file that could not be read or written, naming the
// file and the cause.
QString fileErrorNotice(const FileError& error);
void showFileError(QWidget* owner, const FileError& error);

// The text that reports a field holding more characters than it accepts.
QString tooManyCharactersText(int limit);

// Test seam. While an object of this class lives, showNotice and postNotice
// open no window; they record the text (and the answers offered) instead.
class NoticeBoxSeam : public ActiveSeam<NoticeBoxSeam> {
  public:
    const std::vector<QString>& shown() const { return shown_; }
    // The labels of the answers offered by the latest notice.
    QStringList answers() const;
    void clear() {
        shown_.clear();
        answers_.clear();
    }
    // Presses the answer `label` of the latest notice, as the user would.
    // Returns false when that notice offers no such answer.
    bool press(const QString& label);

    void record(const QString& text, std::vector<NoticeAnswer> answers = {}) {
        shown_.push_back(text);
        answers_ = std::move(answers);
    }

  private:
    std::vector<QString> shown_;
    std::vector<NoticeAnswer> answers_;
};

}  // namespace leafwright
