// The commands of the main window that work on its two file lists directly.
#include "desktop/widgets/file_list.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/desktop_opener.h"
#include "desktop/platform/file_dialog.h"
#include "desktop/platform/message_box.h"
#include "core/settings/messages.h"

namespace leafwright {

namespace {
const QString kTextFileFilter = QStringLiteral("Text file(*.txt)|*.txt;|");
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
    openLowestSelectedRow(*sourceList_);
}

void MainDialog::OnDblclkResultList() {
    openLowestSelectedRow(*resultList_);
}

void MainDialog::openLowestSelectedRow(const FileList& list) {
    const int row = list.firstSelectedRow();
    if (row < 0) return;
    // The row stays listed whether or not its file opens.
    openFileForUser(this, list.rowText(row));
}

}  // namespace leafwright
