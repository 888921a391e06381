#include "desktop/app/converter_app.h"

#include <QTimer>

#include "core/version.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/modal_runner.h"
#include "desktop/platform/program_folders.h"

namespace leafwright {

ConverterApp::ConverterApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Names the user's configuration and data folders (…/leafwright).
    setApplicationName(QStringLiteral("leafwright"));
    setApplicationVersion(QString::fromLatin1(version::kShown));
    // The installed desktop entry's name, by which the desktop matches the
    // window with its entry and icon.
    setDesktopFileName(QStringLiteral("example.leafwright.Leafwright"));
}

int ConverterApp::initInstance(const QStringList& files) {
    // No configuration file is read at start-up; files named on the command
    // line (or by the desktop's "Open With") start in the source list, and
    // the notice about names left out shows over the window.
    MainDialog dialog(locateProgramFolders());
    if (!files.isEmpty())
        QTimer::singleShot(0, &dialog, [&dialog, files] { dialog.addStartFiles(files); });
    runModal(dialog);
    // Exit, Escape and the close box end the program alike.
    return 0;
}

}  // namespace leafwright
