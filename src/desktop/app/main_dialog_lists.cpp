// The commands of the main window that work on its two file lists directly.
#include <QDragEnterEvent>
#include <QDropEvent>

#include "core/settings/messages.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/file_dialog.h"
#include "desktop/platform/message_box.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/named_files.h"

namespace leafwright {

namespace {
// The text files first; any file may be converted.
const QString kTextFileFilter = QStringLiteral("Text file(*.txt)|*.txt;|All files (*)|*|");
}  // namespace

void MainDialog::OnAddFiles() {
    // Every picked file becomes a row, however many were picked; the list's
    // order decides where each one shows. No duplicate check: the same path
    // may be listed twice.
    const QStringList picked = askOpenFileNames(this, kTextFileFilter);
    int index = 0;
    for (const QString& path : picked) sourceList_->insertRow(index++, path);
}

void MainDialog::OnRemoveFiles() {
    const bool sourceSelected = sourceList_->firstSelectedRow() >= 0;
    const bool resultSelected = resultList_->firstSelectedRow() >= 0;
    if (!sourceSelected && !resultSelected) {
        showMessage(this, kNoItemsSelected);
        return;
    }
    // Only rows go; no file on disk is touched.
    if (sourceSelected) sourceList_->deleteSelectedRows();
    if (resultSelected) resultList_->deleteSelectedRows();
}

void MainDialog::OnClearList() {
    sourceList_->deleteAllRows();
    resultList_->deleteAllRows();
}

void MainDialog::OnDblclkSourceList() {
    sourceList_->openLowestSelectedRow(this);
}

void MainDialog::OnDblclkResultList() {
    resultList_->openLowestSelectedRow(this);
}

void MainDialog::addNamedFiles(const QStringList& paths) {
    const NamedFiles named = sortNamedFiles(paths);
    int index = 0;
    for (const QString& path : named.files) sourceList_->insertRow(index++, path);
    reportLeftOut(this, named.leftOut, QStringLiteral("files"));
}

void MainDialog::addStartFiles(const QStringList& names) {
    addNamedFiles(names);
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (carriesLocalFiles(event->mimeData())) event->acceptProposedAction();
}

// Files dropped anywhere on the window, on either list, join the source
// list as Add Files would add them.
void MainDialog::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    addNamedFiles(paths);
}

}  // namespace leafwright
