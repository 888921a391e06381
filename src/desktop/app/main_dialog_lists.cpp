// The commands of the main window that work on its two file lists directly.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QTimer>

#include "core/settings/messages.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/file_dialog.h"
#include "desktop/platform/message_box.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/list_run.h"
#include "desktop/widgets/named_files.h"

namespace leafwright {

namespace {

// The text files first; any file may be converted.
const QString kTextFileFilter = QStringLiteral("Text file(*.txt)|*.txt;|All files (*)|*|");

bool isPdfName(const QString& path) {
    return path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
}

// What the source list takes from a folder: the files the Add Files dialog
// would show with the filter last chosen there (its texts, or every file);
// never a PDF, which would be its own output.
FileKind sourceFileKind() {
    return {lastChosenPatterns(kTextFileFilter),
            [](const QString& path) { return !isPdfName(path); }, QStringLiteral("text files")};
}

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
    const FileKind kind = sourceFileKind();
    const NamedFiles named = sortNamedFiles(paths, kind);
    // During a run the rows wait for its end.
    const auto add = [this](const QStringList& files) {
        listRun_->whenIdle([this, files] { sourceList_->insertRows(0, files); });
    };
    add(named.files);
    reportNamedFiles(this, named, kind, add);
}

void MainDialog::addStartFiles(const QStringList& names) {
    addNamedFiles(names);
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (carriesLocalFiles(event->mimeData())) event->acceptProposedAction();
}

// Files dropped anywhere on the window, on either list, join the source
// list as Add Files would add them; a folder gives its texts. The drop is
// taken at once and the names looked at afterwards, so that the program the
// files were dragged from is not held while a large folder is read.
void MainDialog::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, paths] { addNamedFiles(paths); });
}

}  // namespace leafwright
