#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "desktop/app/converter_app.h"
#include "core/platform/signal_cleanup.h"
#include "core/platform/write_limits.h"
#include "core/version.h"

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

}  // namespace

// The window takes no files or settings from its command line. It answers
// the two questions every desktop program answers (--version, --help), before
// it looks for a display, and has one option for smoke tests,
// --quit-after-first-paint; any other argument is ignored, as Qt's own
// (-platform, -style) are taken by Qt.
int main(int argc, char** argv) {
    if (hasArgument(argc, argv, "--version")) {
        std::printf("leafwright %s\n", leafwright::version::kShown);
        return 0;
    }
    if (hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "-h")) {
        std::printf(
            "Usage: leafwright [--quit-after-first-paint]\n"
            "\n"
            "Opens the Leafwright window, which turns text files into PDF documents.\n"
            "The command line converts without a window: see leafwright-cli --help.\n"
            "\n"
            "  --quit-after-first-paint  close the window as soon as it has been drawn\n"
            "                            (for checking that the program starts)\n"
            "  --version                 print the version\n"
            "  -h, --help                show this help\n");
        return 0;
    }
    leafwright::failWritesPastFileSizeLimit();
    leafwright::removeTemporaryFilesOnSignals();
    leafwright::ConverterApp app(argc, argv);
    QuitAfterFirstPaint quitter;
    if (hasArgument(argc, argv, "--quit-after-first-paint")) app.installEventFilter(&quitter);
    return app.initInstance();
}
