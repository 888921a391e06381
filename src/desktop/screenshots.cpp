// Draws the windows of the program into PNG files for the documentation:
//   leafwright-screenshots [--run-only] [--dark] OUTPUT_FOLDER
// writes main-window-run.png (a run of 2,000 one-line files half-way, the
// workers held there until the picture is taken), print-menu.png (the File
// menu open on "Print..." over a result list of PDFs), settings-dialog.png
// (Options in a fresh program folder, so the dialog shows the default
// values), unspool-window.png and main-window-dark.png (the main window,
// with the examples listed, under a dark palette: the toolbar's captions
// follow the palette); with --run-only, main-window-run.png and
// print-menu.png alone (for a second call at another scale factor), and with
// --dark these two under the dark palette. Run it under a display
// (scripts/screenshot.sh uses a virtual X server).
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "core/platform/pending_output.h"
#include "core/platform/pending_output_seam.h"
#include "desktop/app/command_ids.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/modal_runner.h"
#include "desktop/platform/program_folders.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/notice_box.h"
#include "desktop/widgets/run_progress_panel.h"

namespace {

// Shows the dialog long enough for it to be laid out and drawn, saves its
// picture and closes it without acting.
// Half a second of the event loop: enough for a window to be laid out and
// drawn.
void letItDraw() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
}

bool photograph(QDialog& dialog, const QString& path) {
    dialog.show();
    letItDraw();
    const bool saved = dialog.grab().save(path, "PNG");
    dialog.hide();
    return saved;
}

constexpr int kRunFiles = 2000;

// The main window during a run of kRunFiles one-line files, half-way: once
// half the outputs are begun, every worker waits until the picture is taken,
// while the window goes on showing the rows and the progress it has.
bool photographRunHalfWay(const leafwright::ProgramFolders& folders, const QString& path) {
    // A folder of a plain name, as a user's would be, made for the picture
    // and removed after it.
    QDir notes(QDir::tempPath() + QStringLiteral("/leafwright-notes"));
    for (int n = 2; notes.exists(); ++n)
        notes.setPath(QDir::tempPath() + QStringLiteral("/leafwright-notes-%1").arg(n));
    if (!QDir().mkpath(notes.path())) return false;
    struct RemovedAfterwards {
        QDir folder;
        ~RemovedAfterwards() { folder.removeRecursively(); }
    } removed{notes};
    QStringList sources;
    for (int i = 1; i <= kRunFiles; ++i) {
        const QString source =
            notes.filePath(QStringLiteral("note%1.txt").arg(i, 4, 10, QChar('0')));
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly)) return false;
        file.write(QStringLiteral("Note %1: one line to print.\n").arg(i).toUtf8());
        sources << source;
    }
    leafwright::MainDialog window(folders);
    window.sourceList()->insertRows(0, sources);
    window.show();
    letItDraw();

    std::mutex mutex;
    std::condition_variable taken;
    bool done = false;
    std::atomic<int> begun{0};
    leafwright::PendingOutputSeam outputs([&](const leafwright::PendingOutput&) {
        if (++begun < kRunFiles / 2) return;
        std::unique_lock lock(mutex);
        taken.wait(lock, [&] { return done; });
    });
    bool saved = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (done || !window.runProgressPanel()->isVisible() ||
            window.resultList()->rowCount() < kRunFiles / 2 - 10)
            return;
        letItDraw();
        saved = window.grab().save(path, "PNG");
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        taken.notify_all();
    });
    look.start(50);
    leafwright::NoticeBoxSeam summary;  // the notice after the run is no part of it
    window.sendCommand(leafwright::kCmdConvertFiles);
    window.hide();
    return saved;
}

// The File menu open on "Print...", over a result list with two PDFs
// selected.
bool photographPrintMenu(const leafwright::ProgramFolders& folders, const QString& path) {
    leafwright::MainDialog window(folders);
    for (const char* name :
         {"/home/ann/letters/april.pdf", "/home/ann/letters/may.pdf", "/home/ann/letters/june.pdf"})
        window.resultList()->appendRow(QString::fromLatin1(name));
    window.resultList()->item(0)->setSelected(true);
    window.resultList()->item(2)->setSelected(true);
    window.show();
    letItDraw();
    QMenu* file = window.menuBar()->actions().first()->menu();
    QAction* print = window.menuAction(leafwright::kCmdPrint);
    window.menuBar()->setActiveAction(window.menuBar()->actions().first());
    letItDraw();
    file->setActiveAction(print);
    letItDraw();
    // The menu is a window of its own: drawn onto the window's picture where
    // it stands.
    QPixmap shot = window.grab();
    const qreal ratio = shot.devicePixelRatio();
    const QPixmap menu = file->grab();
    const QPoint at = file->geometry().topLeft() - window.mapToGlobal(QPoint(0, 0));
    QPixmap whole(QSize(std::max(shot.width(), int((at.x() + file->width()) * ratio)),
                        std::max(shot.height(), int((at.y() + file->height()) * ratio))));
    whole.setDevicePixelRatio(ratio);
    whole.fill(Qt::transparent);
    {
        QPainter painter(&whole);
        painter.drawPixmap(0, 0, shot);
        painter.drawPixmap(at, menu);
    }
    file->close();
    window.hide();
    return whole.save(path, "PNG");
}

// A dark palette as a dark desktop theme gives it.
QPalette darkPalette() {
    QPalette dark;
    const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    // The edges of bevels, and the etched shadow of greyed texts.
    dark.setColor(QPalette::Light, QColor(70, 70, 74));
    dark.setColor(QPalette::Midlight, QColor(58, 58, 62));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, window);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    return dark;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bool runOnly = false;
    bool dark = false;
    for (int i = 1; i + 1 < argc; ++i) {
        runOnly = runOnly || std::strcmp(argv[i], "--run-only") == 0;
        dark = dark || std::strcmp(argv[i], "--dark") == 0;
    }
    if (argc < 2 || argc - 2 != int(runOnly) + int(dark)) {
        std::fprintf(stderr, "Usage: leafwright-screenshots [--run-only] [--dark] OUTPUT_FOLDER\n");
        return 2;
    }
    if (dark) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    }
    const QDir output(QString::fromLocal8Bit(argv[argc - 1]));
    QTemporaryDir freshProgramFolder;
    if (!output.exists() || !freshProgramFolder.isValid()) {
        std::fprintf(stderr, "leafwright-screenshots: no folder %s\n", argv[1]);
        return 1;
    }

    leafwright::ProgramFolders folders = leafwright::locateProgramFolders();
    folders.programFolder = freshProgramFolder.path() + QLatin1Char('/');
    if (!photographRunHalfWay(folders, output.filePath(QStringLiteral("main-window-run.png")))) {
        std::fprintf(stderr, "leafwright-screenshots: the run could not be photographed\n");
        return 1;
    }
    if (!photographPrintMenu(folders, output.filePath(QStringLiteral("print-menu.png")))) {
        std::fprintf(stderr, "leafwright-screenshots: the menu could not be photographed\n");
        return 1;
    }
    if (runOnly || dark) return 0;
    leafwright::MainDialog mainWindow(folders);
    mainWindow.show();

    QString nextPicture;
    bool allSaved = true;
    leafwright::ModalDialogSeam seam([&](QDialog& dialog) {
        allSaved = photograph(dialog, output.filePath(nextPicture)) && allSaved;
        return int(QDialog::Rejected);
    });
    nextPicture = QStringLiteral("settings-dialog.png");
    mainWindow.sendCommand(leafwright::kCmdOptions);
    nextPicture = QStringLiteral("unspool-window.png");
    mainWindow.sendCommand(leafwright::kCmdUnspool);

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(darkPalette());
    leafwright::MainDialog darkWindow(folders);
    const QDir examples(QApplication::applicationDirPath() + QStringLiteral("/../../examples"));
    for (const QString& name : examples.entryList({QStringLiteral("*.txt")}, QDir::Files))
        darkWindow.sourceList()->appendRow(examples.absoluteFilePath(name));
    allSaved =
        photograph(darkWindow, output.filePath(QStringLiteral("main-window-dark.png"))) && allSaved;

    if (seam.ran().size() != 2 || !allSaved) {
        std::fprintf(stderr, "leafwright-screenshots: a window could not be photographed\n");
        return 1;
    }
    return 0;
}
