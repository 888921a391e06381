// The Help and About commands of the main window.
#include <QDir>

#include "desktop/app/about_dialog.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/desktop_opener.h"
#include "desktop/platform/modal_runner.h"

namespace leafwright {

void MainDialog::OnShowHelp() {
    // A file dialog may have left the current folder anywhere; the page is
    // the one shipped with the program. Whether it opens is the desktop's
    // business: the program shows no message of its own.
    enterProgramFolder();
    openFileWithDefaultProgram(QDir(pagesFolder()).filePath(QString::fromLatin1(kHelpPageName)));
}

void MainDialog::OnAbout() {
    enterProgramFolder();
    AboutDialog about(pagesFolder(), this);
    runModal(about);
}

}  // namespace leafwright
