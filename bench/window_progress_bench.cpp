// How soon a long run shows its progress, and whether the window is drawn
// while it lasts:
//   window_progress_bench SOURCE.txt [--self-adapting]
// converts SOURCE (a large text file) from a shown main window and prints
// the time from Convert to the first progress shown, how often the window
// was painted during the run, and how long the run took. Run it under a
// display (xvfb-run -a build/bin/window_progress_bench big.txt).
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "desktop/app/command_ids.h"
#include "desktop/app/main_dialog.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/run_progress_panel.h"

namespace {

// Counts the paints of any widget of the window while a run lasts.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) ++paints;
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "Usage: window_progress_bench SOURCE.txt [--self-adapting]\n");
        return 2;
    }
    QTemporaryDir programFolder;
    const QString folder = programFolder.path() + QLatin1Char('/');
    leafwright::MainDialog window({folder, folder});
    window.sourceList()->appendRow(QString::fromLocal8Bit(argv[1]));
    window.settings().outputFolder = programFolder.path().toStdString();
    if (argc == 3) window.settings().chosen.selfAdaptation = 1;
    window.show();

    QElapsedTimer clock;
    qint64 firstProgress = -1;
    qint64 firstBytes = -1;
    QProgressBar* bar = window.runProgressPanel()->bar();
    // Looks every 5 ms, from the window's own event loop, which the run keeps
    // going.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!window.runProgressPanel()->isVisible()) return;
        if (firstProgress < 0) firstProgress = clock.elapsed();
        if (firstBytes < 0 && bar->value() > 0) firstBytes = clock.elapsed();
    });
    PaintCounter counter;
    QTimer::singleShot(300, [&] {
        app.installEventFilter(&counter);
        clock.start();
        watch.start(5);
        window.sendCommand(leafwright::kCmdConvertFiles);
        const qint64 total = clock.elapsed();
        app.removeEventFilter(&counter);
        std::printf("first progress shown after %lld ms\n", static_cast<long long>(firstProgress));
        std::printf("first bytes counted after %lld ms\n", static_cast<long long>(firstBytes));
        std::printf("window painted %d times during the run\n", counter.paints);
        std::printf("run took %lld ms, %d PDF listed\n", static_cast<long long>(total),
                    window.resultList()->rowCount());
        app.quit();
    });
    return app.exec();
}
