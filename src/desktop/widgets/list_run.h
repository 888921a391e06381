#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "desktop/widgets/run_summary.h"
#include "desktop/widgets/window_file_run.h"

class QKeyEvent;
class QWidget;

namespace leafwright {

class FileList;
class RunProgressPanel;

// One run of a window's list, the same for the main window and the Unspool
// window. The files are converted on worker threads (WindowFileRun) while
// the window stays drawn: its controls are disabled (all but the progress
// panel), the pointer is busy over it, and after half a second the panel
// shows how far the run is, with Cancel. The workers never wait for the
// window except for the overwrite question: what they report is taken by
// the window every 100 ms, and the rows move in groups, in the order of the
// files. A file that is done leaves the source list (and its output joins
// the result list at the index of its turn in this run); a file that failed
// or was left by a cancel keeps its row, so that the next run tries it
// again. After the run one notice, which does not wait, says how it went.
class ListRun : public QObject {
    Q_OBJECT

  public:
    ListRun(QWidget* window, RunProgressPanel* panel, FileList& sources, FileList& results);
    ~ListRun() override;

    // Runs the rows of the source list with the steps of `makeSteps` and
    // returns when the run is over. Returns the output of the last file
    // converted (empty when none was).
    std::string run(const WindowFileRun::StepsMaker& makeSteps);
    // The same run, its rows converted into one document by `combine`
    // (WindowFileRun::combineWith): the rows leave the list together, and
    // the document joins the result list, once it is written; else the rows
    // stay. Returns the document's path when it was written.
    std::string runCombined(const WindowFileRun::Combination& combine);

    bool isRunning() const { return fileRun_ != nullptr; }
    // Runs `change` (a change of the lists) now, or once the run is over:
    // during a run the rows belong to it. Files dropped meanwhile, or the
    // answer of an earlier notice, wait so.
    void whenIdle(std::function<void()> change);
    // Stops the run: the files at hand are abandoned (unless already taking
    // their place) and no other is started.
    void cancel();
    // During a run Escape cancels it and does nothing else: true when
    // `event` was that key and has been taken.
    bool takesEscape(QKeyEvent* event);

  private:
    std::string runWith(const WindowFileRun::StepsMaker& makeSteps,
                        const WindowFileRun::Combination& combine);
    OverwriteAnswer answerOverwrite(const std::string& outputPath);
    // Moves the rows of the files reported since the last time.
    void takeReports();
    void setBusy(bool busy);
    void showProgress();
    void tellHowItWent(bool showedProgress, const QString& failure);

    QWidget* window_;
    RunProgressPanel* panel_;
    FileList& sources_;
    FileList& results_;
    WindowFileRun* fileRun_ = nullptr;
    int fileCount_ = 0;
    int reported_ = 0;
    int keptOnTop_ = 0;     // rows of failed or abandoned files, left on top
    int resultsAdded_ = 0;  // rows this run added to the result list
    RunTally tally_;
    std::string lastOutput_;
    std::vector<QWidget*> disabled_;
    std::vector<std::function<void()>> waiting_;  // changes for after the run
    QStringList failures_;                        // a line for each failed file
    QStringList warnings_;                        // "FILE: warning" lines of this run
    QStringList pastEdge_;  // files with lines past the right edge, with their count
};

}  // namespace leafwright
