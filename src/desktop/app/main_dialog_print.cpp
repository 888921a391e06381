// The Print command of the main window: the PDFs selected in the result list
// go to a printer through the print system.
#include <QStringList>

#include "core/settings/messages.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/message_box.h"
#include "desktop/platform/printing.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/notice_box.h"

namespace leafwright {

namespace {
const QString kNoPrinter = QStringLiteral("No printer is set up");
}  // namespace

void MainDialog::OnPrint() {
    QStringList chosen;
    for (int row = resultList_->firstSelectedRow(); row >= 0;
         row = resultList_->nextSelectedRow(row))
        chosen << resultList_->rowText(row);
    if (chosen.isEmpty()) {
        showMessage(this, kNoItemsSelected);
        return;
    }
    const PrintRequest request = askPrintChoice(this);
    if (request.outcome == PrintRequest::Outcome::Cancelled) return;
    const auto refused = [this](const QString& file, const QString& cause) {
        postNotice(this,
                   QStringLiteral("The file \"%1\" could not be printed: %2").arg(file, cause));
    };
    if (request.outcome == PrintRequest::Outcome::NoPrinter ||
        !printFiles(this, chosen, request.choice, refused))
        showNotice(this, kNoPrinter, QMessageBox::Information);
}

}  // namespace leafwright
