#include "desktop/platform/folder_browser.h"

#include <QDir>
#include <QFileDialog>

namespace leafwright {

QString askFolder(QWidget* owner, const QString& title) {
    if (FolderBrowserSeam* seam = FolderBrowserSeam::active()) return seam->answer(title);
    const QString folder = QFileDialog::getExistingDirectory(owner, title, QDir::currentPath(),
                                                             QFileDialog::ShowDirsOnly);
    return folder.isEmpty() ? QString() : QDir::toNativeSeparators(folder);
}

QString FolderBrowserSeam::answer(const QString& title) {
    titles_.push_back(title);
    if (answers_.empty()) return {};
    QString next = answers_.front();
    answers_.pop_front();
    return next;
}

}  // namespace leafwright
