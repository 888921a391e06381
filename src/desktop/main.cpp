#include <QCoreApplication>
#include <QEvent>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "core/platform/signal_cleanup.h"
#include "core/platform/standard_descriptors.h"
#include "core/platform/write_limits.h"
#include "core/version.h"
#include "desktop/app/converter_app.h"

namespace {

// Closes every window once the first one has painted, so that a smoke test
// (an install check, a headless run with QT_QPA_PLATFORM=offscreen) can start
// the real program and see it reach the screen and end with status 0.
class QuitAfterFirstPaint : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!painted_ && event->type() == QEvent::Paint && watched->isWidgetType()) {
            painted_ = true;
            QTimer::singleShot(0, [] { QApplication::closeAllWindows(); });
        }
        return false;
    }

  private:
    bool painted_ = false;
};

bool hasArgument(int argc, char** argv, const char* wanted) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], wanted) == 0) return true;
    return false;
}

// The files named on the command line: every argument that is not an
// option, and every one after "--". Qt has taken its own options by now.
QStringList fileArguments(const QStringList& arguments) {
    QStringList files;
    bool optionsEnded = false;
    for (const QString& argument : arguments.mid(1)) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (optionsEnded || !argument.startsWith(QLatin1Char('-'))) {
            files << argument;
        }
    }
    return files;
}

}  // namespace

// The window takes files from its command line, no settings. It answers the
// two questions every desktop program answers (--version, --help), before it
// looks for a display, and has one option for smoke tests,
// --quit-after-first-paint; other options are ignored, as Qt's own
// (-platform, -style) are taken by Qt.
int main(int argc, char** argv) {
    if (hasArgument(argc, argv, "--version")) {
        std::printf("leafwright %s\n", leafwright::version::kShown);
        return 0;
    }
    if (hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "-h")) {
        std::printf(
            "Usage: leafwright [--quit-after-first-paint] [FILE...]\n"
            "\n"
            "Opens the Leafwright window, which turns text files into PDF documents,\n"
            "with the FILEs in its list of files to convert.\n"
            "The command line converts without a window: see leafwright-cli --help.\n"
            "\n"
            "  --quit-after-first-paint  close the window as soon as it has been drawn\n"
            "                            (for checking that the program starts)\n"
            "  --version                 print the version\n"
            "  -h, --help                show this help\n");
        return 0;
    }
    leafwright::holdClosedStandardDescriptors();
    leafwright::failWritesPastFileSizeLimit();
    leafwright::removeTemporaryFilesOnSignals();
    leafwright::ConverterApp app(argc, argv);
    QuitAfterFirstPaint quitter;
    if (hasArgument(argc, argv, "--quit-after-first-paint")) app.installEventFilter(&quitter);
    return app.initInstance(fileArguments(QCoreApplication::arguments()));
}
