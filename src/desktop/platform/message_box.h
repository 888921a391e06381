#pragma once

#include <QMessageBox>
#include <QString>
#include <deque>
#include <vector>

#include "core/platform/active_seam.h"

class QWidget;

namespace leafwright {

// How a message of the string table is shown: its buttons and its icon.
struct MessageStyle {
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// The buttons and icon of message `id` (OK and no icon for any message
// without a rule of its own).
MessageStyle messageStyle(int id);

// The caption of every message box: the program's file name without its
// extension.
QString messageCaption();

// Shows the string-table message `id` modally over `owner` and returns the
// button pressed: QMessageBox::Ok, or Yes / No for a question.
QMessageBox::StandardButton showMessage(QWidget* owner, int id);

// The string-table message `id` about one file: the message as it stands,
// with the file's path as the box's informative text below it.
QMessageBox::StandardButton showMessageAbout(QWidget* owner, int id, const QString& path);

// Message 11, the overwrite question, with the existing output's path on a
// second line. Returns Yes, No, YesToAll, NoToAll or Cancel.
QMessageBox::StandardButton askOverwrite(QWidget* owner, const QString& outputPath);

// Test seam. While an object of this class lives, showMessage opens no window:
// it records the message number and returns the next scripted answer; with
// none scripted it answers OK, or No to a question.
class MessageBoxSeam : public ActiveSeam<MessageBoxSeam> {
  public:
    void answerNext(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
    const std::vector<int>& shown() const { return shown_; }
    // The second lines (or informative texts) of the messages shown, empty
    // for a message without.
    const std::vector<QString>& details() const { return details_; }
    void clear() {
        shown_.clear();
        details_.clear();
    }

    QMessageBox::StandardButton answer(int id, const QString& detail = {});

  private:
    std::deque<QMessageBox::StandardButton> answers_;
    std::vector<int> shown_;
    std::vector<QString> details_;
};

}  // namespace leafwright
