#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "core/platform/active_seam.h"

class QWidget;

namespace leafwright {

// Turns a filter text of label and pattern pairs separated by "|", the
// patterns of a pair separated by ";" (for example "Text file(*.txt)|*.txt;|"),
// into the name filters of Qt's file dialog, one per pair, in order.
QStringList nameFiltersFrom(const QString& filterText);

// The name patterns of each filter of a filter text, in order ("*.txt").
QList<QStringList> filterPatternsFrom(const QString& filterText);

// The patterns of the filter last chosen in the file dialogs of this filter
// text (remembered between runs), or of its first filter.
QStringList lastChosenPatterns(const QString& filterText);

// The open form of the file dialog, several files at once. Returns the full
// paths of the picked files in the order the dialog gives them, or nothing
// when the user cancels. Every picked file is returned, however many.
// The dialog opens in the folder that the last dialog with the same first
// filter showed (remembered between runs), else in the user's home, with
// the filter chosen there last.
// Afterwards the current folder is the folder of the picked files; callers
// that name files relative to the program set the current folder themselves.
QStringList askOpenFileNames(QWidget* owner, const QString& filterText);

// The open form for one file; an empty text when the user cancels. Moves the
// current folder like askOpenFileNames.
QString askOpenFileName(QWidget* owner, const QString& filterText);

// The save form: asks before it overwrites an existing file. An empty text
// when the user cancels. Moves the current folder like askOpenFileNames.
QString askSaveFileName(QWidget* owner, const QString& filterText);

// Test seam. While an object of this class lives, the file dialogs open no
// window: each request is recorded and answered with the next scripted list
// of names, picked with the filter at the position given (an empty list is
// Cancel, as is a request with nothing scripted). The current folder and the
// chosen filter are remembered as after the real dialog.
class FileDialogSeam : public ActiveSeam<FileDialogSeam> {
  public:
    enum class Form { OpenSeveral, OpenOne, Save };
    struct Request {
        Form form;
        QString filterText;
        QString startFolder;  // where the dialog would open
    };

    void nextFileNames(const QStringList& names, int filter = 0) {
        answers_.push_back({names, filter});
    }
    void nextCancel() { answers_.push_back({}); }
    const std::vector<Request>& requests() const { return requests_; }

    struct Answer {
        QStringList names;
        int filter = 0;
    };
    Answer answer(Form form, const QString& filterText, const QString& startFolder);

  private:
    std::deque<Answer> answers_;
    std::vector<Request> requests_;
};

}  // namespace leafwright
