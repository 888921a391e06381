#include "desktop/widgets/list_run.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "desktop/platform/message_box.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/notice_box.h"
#include "desktop/widgets/past_edge_notice.h"
#include "desktop/widgets/run_progress_panel.h"

namespace leafwright {

namespace {

// How long a run goes on before its progress panel shows: a short run does
// not flash it.
constexpr int kPanelDelayMs = 500;
// How often the window takes what the run reported: rows move and the
// progress is shown at most this often.
constexpr int kReportIntervalMs = 100;
// The notice after a run names at most this many failed files, and as many
// warnings.
constexpr qsizetype kLinesNamed = 20;

QString fromFileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString linesNamed(const QStringList& lines) {
    QStringList shown = lines.mid(0, kLinesNamed);
    if (lines.size() > kLinesNamed)
        shown << QStringLiteral("and %1 more").arg(lines.size() - kLinesNamed);
    return shown.join(QLatin1Char('\n'));
}

}  // namespace

ListRun::ListRun(QWidget* window, RunProgressPanel* panel, FileList& sources, FileList& results)
    : QObject(window), window_(window), panel_(panel), sources_(sources), results_(results) {
    connect(panel_, &RunProgressPanel::cancelRequested, this, &ListRun::cancel);
}

ListRun::~ListRun() = default;

std::string ListRun::run(const WindowFileRun::StepsMaker& makeSteps) {
    return runWith(makeSteps, {});
}

std::string ListRun::runCombined(const WindowFileRun::Combination& combine) {
    return runWith({}, combine);
}

std::string ListRun::runWith(const WindowFileRun::StepsMaker& makeSteps,
                             const WindowFileRun::Combination& combine) {
    if (isRunning()) return {};
    std::vector<std::string> sources;
    sources.reserve(static_cast<std::size_t>(sources_.rowCount()));
    for (const QString& row : sources_.rowTexts())
        sources.push_back(QFile::encodeName(row).toStdString());

    fileCount_ = static_cast<int>(sources.size());
    reported_ = 0;
    keptOnTop_ = 0;
    resultsAdded_ = 0;
    tally_ = {};
    lastOutput_.clear();
    failures_.clear();
    warnings_.clear();
    pastEdge_.clear();

    // The question is the one thing the workers wait for.
    WindowFileRun fileRun(std::move(sources), makeSteps, [this](const std::string& outputPath) {
        OverwriteAnswer answer = OverwriteAnswer::Cancel;
        // From the worker, the window's thread answers; a run that found no
        // worker thread asks on this one.
        const bool here = QThread::currentThread() == thread();
        QMetaObject::invokeMethod(
            this, [&] { answer = answerOverwrite(outputPath); },
            here ? Qt::DirectConnection : Qt::BlockingQueuedConnection);
        return answer;
    });
    if (combine) fileRun.combineWith(combine);
    fileRun_ = &fileRun;

    QString failure;
    auto work = [&] {
        try {
            fileRun.run();
        } catch (const std::exception& error) {
            // Anything beyond one file's failure (a list that cannot be
            // read, memory running out outside any file) ends the run.
            failure = QString::fromLocal8Bit(error.what());
        } catch (...) {
            failure = QStringLiteral("The run stopped on an unexpected error.");
        }
    };
    std::unique_ptr<QThread> worker(QThread::create(work));

    QEventLoop waiting;
    connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    QTimer panelDelay;
    panelDelay.setSingleShot(true);
    connect(&panelDelay, &QTimer::timeout, this, [this] {
        showProgress();
        panel_->show();
        panel_->cancelButton()->setFocus();
    });
    QTimer reports;
    connect(&reports, &QTimer::timeout, this, [this] {
        takeReports();
        if (panel_->isVisible()) showProgress();
    });

    setBusy(true);
    worker->start();
    if (!worker->isRunning() && !worker->isFinished()) {
        // The system gave no thread (its limit on threads or memory
        // reached): the run goes on this thread, the window still until
        // it ends, rather than failing or waiting for ever.
        work();
    } else {
        panelDelay.start(kPanelDelayMs);
        reports.start(kReportIntervalMs);
        waiting.exec();
        // The loop also ends when the application quits; a worker may then
        // be waiting for its question, so keep serving it while the run
        // stops.
        while (!worker->wait(10)) {
            fileRun.cancel();
            QCoreApplication::processEvents();
        }
    }
    reports.stop();
    panelDelay.stop();
    takeReports();
    const bool showedProgress = panel_->isVisible();
    setBusy(false);
    tally_.cancelled = fileRun.cancelled();
    tally_.left = fileCount_ - tally_.converted - tally_.skipped - tally_.failed;
    fileRun_ = nullptr;
    tellHowItWent(showedProgress, failure);
    for (const std::function<void()>& change : std::exchange(waiting_, {})) change();
    return lastOutput_;
}

void ListRun::whenIdle(std::function<void()> change) {
    if (isRunning())
        waiting_.push_back(std::move(change));
    else
        change();
}

bool ListRun::takesEscape(QKeyEvent* event) {
    if (!isRunning() || event->key() != Qt::Key_Escape) return false;
    event->accept();
    cancel();
    return true;
}

void ListRun::cancel() {
    if (fileRun_ != nullptr) fileRun_->cancel();
}

OverwriteAnswer ListRun::answerOverwrite(const std::string& outputPath) {
    // The lists show everything done before the question.
    takeReports();
    switch (leafwright::askOverwrite(window_, fromFileName(outputPath))) {
        case QMessageBox::Yes:
            return OverwriteAnswer::Replace;
        case QMessageBox::YesToAll:
            return OverwriteAnswer::ReplaceAll;
        case QMessageBox::NoToAll:
            return OverwriteAnswer::KeepAll;
        case QMessageBox::Cancel:
            return OverwriteAnswer::Cancel;
        default:
            return OverwriteAnswer::Keep;
    }
}

void ListRun::takeReports() {
    if (fileRun_ == nullptr) return;
    const std::vector<WindowRunReport> reports = fileRun_->takeReports();
    if (reports.empty()) return;
    // The reports are in list order: each is about the row below the ones
    // kept on top. Rows that go are taken out a run of rows at a time, and
    // the outputs go in together.
    QStringList outputs;
    int going = 0;
    auto takeOutGoing = [&] {
        sources_.deleteRows(keptOnTop_, going);
        going = 0;
    };
    for (const WindowRunReport& report : reports) {
        ++reported_;
        switch (report.kind) {
            case WindowRunReport::Kind::Converted:
                ++tally_.converted;
                ++going;
                // Sources of one document name it once, with the last.
                if (!report.output.empty()) {
                    outputs << fromFileName(report.output);
                    lastOutput_ = report.output;
                }
                if (!report.warning.empty())
                    warnings_ << fromFileName(report.source) + QStringLiteral(": ") +
                                     QString::fromStdString(report.warning);
                if (report.linesPastEdge > 0)
                    pastEdge_ << pastEdgeFileLine(fromFileName(report.source),
                                                  report.linesPastEdge);
                break;
            case WindowRunReport::Kind::Skipped:
                ++tally_.skipped;
                ++going;
                break;
            case WindowRunReport::Kind::Failed:
                ++tally_.failed;
                failures_ << fileErrorNotice(*report.error);
                takeOutGoing();
                ++keptOnTop_;
                break;
            case WindowRunReport::Kind::NotDone:
                takeOutGoing();
                ++keptOnTop_;
                break;
        }
    }
    takeOutGoing();
    // An ascending list places each row by its text; the index only says
    // where the group goes in.
    results_.insertRows(resultsAdded_, outputs);
    resultsAdded_ += int(outputs.size());
}

void ListRun::tellHowItWent(bool showedProgress, const QString& failure) {
    QStringList parts;
    if (runDeservesSummary(tally_, showedProgress)) parts << runSummaryText(tally_);
    if (!failures_.isEmpty()) parts << linesNamed(failures_);
    if (!failure.isEmpty()) parts << failure;
    if (!warnings_.isEmpty()) parts << linesNamed(warnings_);
    if (!pastEdge_.isEmpty()) parts << pastEdgeNotice(pastEdge_);
    if (parts.isEmpty()) return;
    const bool wrong =
        !failures_.isEmpty() || !failure.isEmpty() || !warnings_.isEmpty() || !pastEdge_.isEmpty();
    postNotice(window_, parts.join(QStringLiteral("\n\n")),
               wrong ? QMessageBox::Warning : QMessageBox::Information);
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
    if (fileRun_ == nullptr) return;
    // The files the workers are done with, which the rows follow within a
    // batch: a report may wait for a slower file before it.
    const int done = std::max(reported_, static_cast<int>(fileRun_->filesDone()));
    panel_->showProgress(std::min(done, fileCount_), fileCount_, fileRun_->bytesDone(),
                         fileRun_->bytesTotal());
}

}  // namespace leafwright
