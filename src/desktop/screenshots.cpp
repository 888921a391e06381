// Draws the windows that the main window's commands open, as the user first
// sees them, into PNG files for the documentation:
//   leafwright-screenshots OUTPUT_FOLDER
// writes settings-dialog.png (Options in a fresh program folder, so the
// dialog shows the default values), unspool-window.png, and
// main-window-dark.png (the main window, with the examples listed, under a
// dark palette: the toolbar's captions follow the palette). Run it under a
// display (scripts/screenshot.sh uses a virtual X server).
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPalette>
#include <QPixmap>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "desktop/app/command_ids.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/modal_runner.h"
#include "desktop/platform/program_folders.h"
#include "desktop/widgets/file_list.h"

namespace {

// Shows the dialog long enough for it to be laid out and drawn, saves its
// picture and closes it without acting.
bool photograph(QDialog& dialog, const QString& path) {
    dialog.show();
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
    const bool saved = dialog.grab().save(path, "PNG");
    dialog.hide();
    return saved;
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
    if (argc != 2) {
        std::fprintf(stderr, "Usage: leafwright-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir freshProgramFolder;
    if (!output.exists() || !freshProgramFolder.isValid()) {
        std::fprintf(stderr, "leafwright-screenshots: no folder %s\n", argv[1]);
        return 1;
    }

    leafwright::ProgramFolders folders = leafwright::locateProgramFolders();
    folders.programFolder = freshProgramFolder.path() + QLatin1Char('/');
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
