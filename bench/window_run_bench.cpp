// A run of many files from the main window, timed from Convert to its end:
//   window_run_bench FOLDER [--yes-to-all] [--watch]
// lists every *.txt of FOLDER in a shown main window and converts them,
// answering the overwrite question (when there is one) with Yes to All, and
// prints the run's seconds. With --watch it also looks at the window every
// 20 ms while the run lasts and prints how far the progress text was behind
// the PDFs on disk at most, beside the largest step the text made at once
// (a batch: what the window takes at a time, 100 ms of the run unless its
// thread was kept from running), and how often a list with rows showed none.
// bench/window_bench.sh runs it beside leafwright-cli on the same files.
// Run it under a display (QT_QPA_PLATFORM=offscreen, or xvfb-run).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "desktop/app/command_ids.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/message_box.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/notice_box.h"
#include "desktop/widgets/run_progress_panel.h"

namespace {

bool hasFlag(int argc, char** argv, const char* flag) {
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], flag) == 0) return true;
    return false;
}

// Whether a list that holds rows shows at least one of them.
bool showsARow(const leafwright::FileList& list) {
    if (list.rowCount() == 0) return true;
    return list.indexAt(QPoint(4, 4)).isValid() || list.indexAt(QPoint(4, 12)).isValid();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "Usage: window_run_bench FOLDER [--yes-to-all] [--watch]\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool watch = hasFlag(argc, argv, "--watch");
    QTemporaryDir programFolder;
    const QString config = programFolder.path() + QLatin1Char('/');
    leafwright::MainDialog window({config, config});
    QStringList sources;
    for (const QString& name : folder.entryList({QStringLiteral("*.txt")}, QDir::Files))
        sources << folder.absoluteFilePath(name);
    window.sourceList()->insertRows(0, sources);
    window.show();

    leafwright::MessageBoxSeam answers;
    if (hasFlag(argc, argv, "--yes-to-all")) answers.answerNext(QMessageBox::YesToAll);
    leafwright::NoticeBoxSeam notices;

    int behindAtMost = 0;
    int largestStep = 0;
    int lastShown = 0;
    int blankLooks = 0;
    int looks = 0;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        ++looks;
        const QString text = window.runProgressPanel()->bar()->format();
        const int onDisk = static_cast<int>(folder.entryList({QStringLiteral("*.pdf")}).size());
        const auto shown = QRegularExpression(QStringLiteral("^(\\d+) of")).match(text);
        if (shown.hasMatch() && window.runProgressPanel()->isVisible()) {
            const int files = shown.captured(1).toInt();
            behindAtMost = std::max(behindAtMost, onDisk - files);
            largestStep = std::max(largestStep, files - lastShown);
            lastShown = files;
        }
        if (!showsARow(*window.sourceList()) || !showsARow(*window.resultList())) ++blankLooks;
    });

    int status = 0;
    QTimer::singleShot(300, [&] {
        QElapsedTimer clock;
        if (watch) look.start(20);
        clock.start();
        window.sendCommand(leafwright::kCmdConvertFiles);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        look.stop();
        std::printf("%.4f\n", seconds);
        if (watch)
            std::printf(
                "progress behind the disk by at most %d files, its largest step %d "
                "files; a list blank in %d of %d looks\n",
                behindAtMost, largestStep, blankLooks, looks);
        if (window.resultList()->rowCount() != sources.size()) {
            std::fprintf(stderr, "window_run_bench: %d of %d files listed as converted\n",
                         window.resultList()->rowCount(), static_cast<int>(sources.size()));
            status = 1;
        }
        app.quit();
    });
    app.exec();
    return status;
}
