#include "desktop/platform/desktop_opener.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace leafwright {

namespace {

bool openUrl(const QUrl& url) {
    if (DesktopOpenerSeam* seam = DesktopOpenerSeam::active()) return seam->open(url);
    // The desktop starts the program on its own; openUrl does not wait for it.
    return QDesktopServices::openUrl(url);
}

}  // namespace

bool openFileWithDefaultProgram(const QString& path) {
    // The desktop's opener may report success for a file that is gone and
    // fail later in a window of its own; ask only about files that exist.
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists()) return false;
    return openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

bool openWebAddress(const QString& address) {
    const QUrl url(address);
    if (!url.isValid()) return false;
    return openUrl(url);
}

bool DesktopOpenerSeam::open(const QUrl& url) {
    requests_.push_back(url);
    return result_;
}

}  // namespace leafwright
