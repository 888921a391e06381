#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/platform/file_run.h"
#include "desktop/widgets/run_summary.h"

class QKeyEvent;
class QWidget;

namespace leafwright {

class FileList;
class RunControl;
class RunProgressPanel;

// One run of a window's list through the core's run loop, the same for the
// main window and the Unspool window. The loop runs on a worker thread while
// the window stays drawn: its controls are disabled (all but the progress
// panel), the pointer is busy over it, and after half a second the panel
// shows how far the run is, with Cancel. The worker asks each question only
// when it reaches that file, and every question, message and list change
// happens on the window's thread, in the order of the files. The source
// being converted is always the top row of the source list and leaves it
// once the run is done with it; each output goes into the result list at the
// index of its turn in this run.
class ListRun : public QObject {
    Q_OBJECT

  public:
    // The core's loop over the given sources, reporting to the handler.
    using Loop =
        std::function<void(const std::vector<std::string>& sources, FileRunHandler& handler)>;

    ListRun(QWidget* window, RunProgressPanel* panel, FileList& sources, FileList& results);
    ~ListRun() override;

    // Runs `loop` over the rows of the source list and returns when it is
    // over. A cancelled run leaves the abandoned file's row on top; anything
    // that escapes the loop ends the run like a file error, with a notice.
    void run(const Loop& loop);

    bool isRunning() const { return control_ != nullptr; }
    // Stops the run at the next file, or at once within the file at hand
    // unless it is already taking its place.
    void cancel();
    // During a run Escape cancels it and does nothing else: true when
    // `event` was that key and has been taken.
    bool takesEscape(QKeyEvent* event);

  private:
    class Forwarder;
    enum class Standing { Ask, ReplaceAll, KeepAll };
    enum class Answer { Replace, Keep, Cancel };

    // What the worker hands over, run on the window's thread.
    Answer answerOverwrite(const std::string& outputPath);
    void onConverted(const std::string& outputPath);
    void onDeclined();
    void onWarned(const std::string& sourcePath, const std::string& message);
    bool onFailed(const FileError& error);
    void fileDone();

    void setBusy(bool busy);
    void showProgress();

    QWidget* window_;
    RunProgressPanel* panel_;
    FileList& sources_;
    FileList& results_;
    RunControl* control_ = nullptr;
    Standing standing_ = Standing::Ask;
    int fileCount_ = 0;
    int filesDone_ = 0;
    int convertedCount_ = 0;
    RunTally tally_;
    std::vector<QWidget*> disabled_;
    QString warnings_;  // "FILE: warning" lines of this run
    QString failures_;  // the file errors of this run, a line each
};

}  // namespace leafwright
