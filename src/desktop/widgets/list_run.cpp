#include "desktop/widgets/list_run.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <memory>

#include "core/platform/run_control.h"
#include "desktop/platform/message_box.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/notice_box.h"
#include "desktop/widgets/run_progress_panel.h"

namespace leafwright {

namespace {

// How long a run goes on before its progress panel shows: a short run does
// not flash it.
constexpr int kPanelDelayMs = 500;
constexpr int kProgressIntervalMs = 100;
// A layout reads its source about twice (a measuring pass, then the writing
// one), so the bytes read are set against twice the size.
constexpr double kReadsPerSource = 2.0;

QString fromFileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Runs `work` on the thread of `context` and waits for it.
template <typename Work>
void onWindowThread(QObject* context, Work work) {
    QMetaObject::invokeMethod(context, work, Qt::BlockingQueuedConnection);
}

}  // namespace

// The handler the core's loop calls on the worker thread: hands every call
// to the window's thread and waits for its answer.
class ListRun::Forwarder : public FileRunHandler {
  public:
    explicit Forwarder(ListRun& run) : run_(run) {}

    bool confirmOverwrite(const std::string&, const std::string& outputPath) override {
        // A run that is stopping asks nothing more.
        throwIfRunCancelled();
        Answer answer = Answer::Keep;
        onWindowThread(&run_, [&] { answer = run_.answerOverwrite(outputPath); });
        // Cancel leaves the file unconverted and its row on top.
        if (answer == Answer::Cancel) throw RunCancelled();
        return answer == Answer::Replace;
    }
    void converted(const std::string&, const std::string& outputPath) override {
        onWindowThread(&run_, [&] { run_.onConverted(outputPath); });
    }
    void declined(const std::string&, const std::string&) override {
        onWindowThread(&run_, [&] { run_.onDeclined(); });
    }
    void warned(const std::string& sourcePath, const std::string& message) override {
        onWindowThread(&run_, [&] { run_.onWarned(sourcePath, message); });
    }
    bool failed(const std::string&, const FileError& error) override {
        bool goOn = false;
        onWindowThread(&run_, [&] { goOn = run_.onFailed(error); });
        return goOn;
    }

  private:
    ListRun& run_;
};

ListRun::ListRun(QWidget* window, RunProgressPanel* panel, FileList& sources, FileList& results)
    : QObject(window), window_(window), panel_(panel), sources_(sources), results_(results) {
    connect(panel_, &RunProgressPanel::cancelRequested, this, &ListRun::cancel);
}

ListRun::~ListRun() = default;

void ListRun::run(const Loop& loop) {
    if (isRunning()) return;
    std::vector<std::string> sources;
    sources.reserve(static_cast<std::size_t>(sources_.rowCount()));
    for (const QString& row : sources_.rowTexts())
        sources.push_back(QFile::encodeName(row).toStdString());

    RunControl control;
    control_ = &control;
    standing_ = Standing::Ask;
    fileCount_ = static_cast<int>(sources.size());
    filesDone_ = 0;
    convertedCount_ = 0;
    tally_ = {};
    warnings_.clear();
    failures_.clear();

    Forwarder forwarder(*this);
    QString failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        RunControlScope scope(control);
        try {
            loop(sources, forwarder);
        } catch (const RunCancelled&) {
            // The user's choice; the rows not done stay listed.
        } catch (const std::exception& error) {
            // Anything beyond one file's failure (memory running out outside
            // any file, say) ends the run like a file error.
            failure = QString::fromLocal8Bit(error.what());
        } catch (...) {
            failure = QStringLiteral("The run stopped on an unexpected error.");
        }
    }));

    QEventLoop waiting;
    connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    QTimer panelDelay;
    panelDelay.setSingleShot(true);
    connect(&panelDelay, &QTimer::timeout, this, [this] {
        showProgress();
        panel_->show();
        panel_->cancelButton()->setFocus();
    });
    QTimer progress;
    connect(&progress, &QTimer::timeout, this, [this] {
        if (panel_->isVisible()) showProgress();
    });

    setBusy(true);
    worker->start();
    panelDelay.start(kPanelDelayMs);
    progress.start(kProgressIntervalMs);
    waiting.exec();
    // The loop also ends when the application quits; the worker may then be
    // waiting for the window's thread, so keep serving it while it stops.
    while (!worker->wait(10)) {
        control.cancel();
        QCoreApplication::processEvents();
    }
    const bool showedProgress = panel_->isVisible();
    progress.stop();
    panelDelay.stop();
    setBusy(false);
    tally_.cancelled = control.cancelRequested();
    tally_.left = fileCount_ - filesDone_ - tally_.failed;
    control_ = nullptr;
    // One notice after the run: how it went, what stopped it, and every
    // file that was done with a warning. It does not wait for the user.
    QStringList parts;
    if (runDeservesSummary(tally_, showedProgress)) parts << runSummaryText(tally_);
    if (!failures_.isEmpty()) parts << failures_.trimmed();
    if (!failure.isEmpty()) parts << failure;
    if (!warnings_.isEmpty()) parts << warnings_.trimmed();
    if (!parts.isEmpty()) postNotice(window_, parts.join(QStringLiteral("\n\n")));
}

bool ListRun::takesEscape(QKeyEvent* event) {
    if (!isRunning() || event->key() != Qt::Key_Escape) return false;
    event->accept();
    cancel();
    return true;
}

void ListRun::onWarned(const std::string& sourcePath, const std::string& message) {
    warnings_ += QFile::decodeName(QByteArray::fromStdString(sourcePath)) + QStringLiteral(": ") +
                 QString::fromStdString(message) + QLatin1Char('\n');
}

void ListRun::cancel() {
    if (control_ != nullptr) control_->cancel();
}

ListRun::Answer ListRun::answerOverwrite(const std::string& outputPath) {
    if (standing_ == Standing::ReplaceAll) return Answer::Replace;
    if (standing_ == Standing::KeepAll) return Answer::Keep;
    switch (leafwright::askOverwrite(window_, fromFileName(outputPath))) {
        case QMessageBox::Yes:
            return Answer::Replace;
        case QMessageBox::YesToAll:
            standing_ = Standing::ReplaceAll;
            return Answer::Replace;
        case QMessageBox::NoToAll:
            standing_ = Standing::KeepAll;
            return Answer::Keep;
        case QMessageBox::Cancel:
            cancel();
            return Answer::Cancel;
        default:
            return Answer::Keep;
    }
}

void ListRun::onConverted(const std::string& outputPath) {
    ++tally_.converted;
    sources_.deleteRow(0);
    // An ascending list places the row by its text; the index only says
    // where it goes in.
    results_.insertRow(convertedCount_++, fromFileName(outputPath));
    fileDone();
}

void ListRun::onDeclined() {
    ++tally_.skipped;
    sources_.deleteRow(0);
    fileDone();
}

void ListRun::fileDone() {
    ++filesDone_;
    // The next file's bytes count from nothing.
    if (control_ != nullptr) control_->startSource(0);
}

bool ListRun::onFailed(const FileError& error) {
    // The failing row and every row after it stay listed, so the next run
    // starts again at the same file.
    ++tally_.failed;
    failures_ += fileErrorNotice(error) + QLatin1Char('\n');
    return false;
}

void ListRun::setBusy(bool busy) {
    if (busy) {
        // Clicks and keys made meanwhile go nowhere, instead of running once
        // the run is over.
        for (QWidget* child : window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child == panel_ || child->isWindow() || !child->isEnabled()) continue;
            child->setEnabled(false);
            disabled_.push_back(child);
        }
        // Over the window only: the run's questions and messages keep the
        // usual pointer.
        window_->setCursor(Qt::BusyCursor);
        return;
    }
    for (QWidget* child : disabled_) child->setEnabled(true);
    disabled_.clear();
    window_->unsetCursor();
    panel_->hide();
}

void ListRun::showProgress() {
    double share = 0;
    if (control_ != nullptr && control_->sourceSize() > 0)
        share = static_cast<double>(control_->sourceBytesRead()) /
                (kReadsPerSource * static_cast<double>(control_->sourceSize()));
    panel_->showProgress(filesDone_, fileCount_, share);
}

}  // namespace leafwright
