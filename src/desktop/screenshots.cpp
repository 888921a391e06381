// Draws the windows that the main window's commands open, as the user first
// sees them, into PNG files for the documentation:
//   leafwright-screenshots OUTPUT_FOLDER
// writes settings-dialog.png (Options in a fresh program folder, so the
// dialog shows the default values) and unspool-window.png. Run it under a
// display (scripts/screenshot.sh uses a virtual X server).
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "desktop/app/command_ids.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/modal_runner.h"
#include "desktop/platform/program_folders.h"

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

    if (seam.ran().size() != 2 || !allSaved) {
        std::fprintf(stderr, "leafwright-screenshots: a window could not be photographed\n");
        return 1;
    }
    return 0;
}
