// The plus-tool commands of the main window.
#include "desktop/app/main_dialog.h"
#include "desktop/plustools/plus_tools_commands.h"

namespace leafwright {

// Opens the Unspool window (from the "Plus-tools" menu and from the drop-down
// menu of the "Tools" button). Each opening is a fresh window with empty lists.
void MainDialog::OnUnspool() {
    runUnspoolDialog(this);
}

// Opens the plus-tools chooser (the body of the "Tools" button).
void MainDialog::OnPlusTools() {
    runPlusToolsDialog(this);
}

}  // namespace leafwright
