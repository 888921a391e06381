#include "desktop/platform/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace leafwright {

namespace {

// The folder of the picked files becomes the current folder.
void moveCurrentFolderTo(const QStringList& picked) {
    if (!picked.isEmpty()) QDir::setCurrent(QFileInfo(picked.first()).absolutePath());
}

QStringList runDialog(QWidget* owner, FileDialogSeam::Form form, const QString& filterText) {
    if (FileDialogSeam* seam = FileDialogSeam::active()) {
        const QStringList picked = seam->answer(form, filterText);
        moveCurrentFolderTo(picked);
        return picked;
    }

    QFileDialog dialog(owner);
    dialog.setDirectory(QDir::currentPath());
    dialog.setNameFilters(nameFiltersFrom(filterText));
    // The labels already name their patterns; do not repeat them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    switch (form) {
        case FileDialogSeam::Form::OpenSeveral:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFiles);
            break;
        case FileDialogSeam::Form::OpenOne:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
            break;
        case FileDialogSeam::Form::Save:
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            break;
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList picked = dialog.selectedFiles();
    moveCurrentFolderTo(picked);
    return picked;
}

}  // namespace

QStringList nameFiltersFrom(const QString& filterText) {
    const QStringList parts = filterText.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        if (label.isEmpty()) break;  // the closing "||" or "|" of the text
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) pattern = pattern.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        filters << label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

QStringList askOpenFileNames(QWidget* owner, const QString& filterText) {
    return runDialog(owner, FileDialogSeam::Form::OpenSeveral, filterText);
}

QString askOpenFileName(QWidget* owner, const QString& filterText) {
    const QStringList picked = runDialog(owner, FileDialogSeam::Form::OpenOne, filterText);
    return picked.isEmpty() ? QString() : picked.first();
}

QString askSaveFileName(QWidget* owner, const QString& filterText) {
    const QStringList picked = runDialog(owner, FileDialogSeam::Form::Save, filterText);
    return picked.isEmpty() ? QString() : picked.first();
}

QStringList FileDialogSeam::answer(Form form, const QString& filterText) {
    requests_.push_back({form, filterText});
    if (answers_.empty()) return {};
    QStringList next = answers_.front();
    answers_.pop_front();
    return next;
}

}  // namespace leafwright
