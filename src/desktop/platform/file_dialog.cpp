#include "desktop/platform/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

#include "desktop/platform/window_memory.h"

namespace leafwright {

namespace {

// Each kind of file dialog, named by its first filter, remembers its own
// folder.
QString dialogKind(const QString& filterText) {
    return filterText.section(QLatin1Char('|'), 0, 0);
}

// The folder of the picked files becomes the current folder, and the one the
// next dialog of this kind starts in, with the filter they were picked with.
void moveCurrentFolderTo(const QStringList& picked, const QString& filterText, int filter) {
    if (picked.isEmpty()) return;
    const QString folder = QFileInfo(picked.first()).absolutePath();
    QDir::setCurrent(folder);
    WindowMemory::keepDialogFolder(dialogKind(filterText), folder);
    WindowMemory::keepDialogFilter(dialogKind(filterText), filter);
}

// Where a dialog opens: the folder it last showed, or the user's home. Never
// the program's configuration folder just because a settings command made
// it current.
QString startFolder(const QString& filterText) {
    const QString kept = WindowMemory::dialogFolder(dialogKind(filterText));
    return kept.isEmpty() ? QDir::homePath() : kept;
}

QStringList runDialog(QWidget* owner, FileDialogSeam::Form form, const QString& filterText) {
    if (FileDialogSeam* seam = FileDialogSeam::active()) {
        const FileDialogSeam::Answer picked =
            seam->answer(form, filterText, startFolder(filterText));
        moveCurrentFolderTo(picked.names, filterText, picked.filter);
        return picked.names;
    }

    QFileDialog dialog(owner);
    dialog.setDirectory(startFolder(filterText));
    const QStringList filters = nameFiltersFrom(filterText);
    dialog.setNameFilters(filters);
    const int lastFilter = WindowMemory::dialogFilter(dialogKind(filterText));
    if (lastFilter < filters.size()) dialog.selectNameFilter(filters[lastFilter]);
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
    moveCurrentFolderTo(picked, filterText,
                        std::max<int>(0, filters.indexOf(dialog.selectedNameFilter())));
    return picked;
}

}  // namespace

QList<QStringList> filterPatternsFrom(const QString& filterText) {
    const QStringList parts = filterText.split(QLatin1Char('|'));
    QList<QStringList> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;  // the closing "||" or "|" of the text
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) pattern = pattern.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        filters << patterns;
    }
    return filters;
}

QStringList nameFiltersFrom(const QString& filterText) {
    const QStringList labels = filterText.split(QLatin1Char('|'));
    const QList<QStringList> patterns = filterPatternsFrom(filterText);
    QStringList filters;
    for (qsizetype i = 0; i < patterns.size(); ++i)
        filters << labels[2 * i] + QStringLiteral(" (") + patterns[i].join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    return filters;
}

QStringList lastChosenPatterns(const QString& filterText) {
    const QList<QStringList> patterns = filterPatternsFrom(filterText);
    if (patterns.isEmpty()) return {QStringLiteral("*")};
    const int chosen = WindowMemory::dialogFilter(dialogKind(filterText));
    return patterns.value(chosen, patterns.first());
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

FileDialogSeam::Answer FileDialogSeam::answer(Form form, const QString& filterText,
                                              const QString& startFolder) {
    requests_.push_back({form, filterText, startFolder});
    if (answers_.empty()) return {};
    Answer next = answers_.front();
    answers_.pop_front();
    return next;
}

}  // namespace leafwright
