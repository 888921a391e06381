// The plus-tool commands of the main window.
#include "app/main_dialog.h"

namespace leafwright {

// Opens the Unspool window (from the "Plus-tools" menu and from the drop-down
// menu of the "Tools" button). Not built yet: routed here, does nothing.
void MainDialog::OnUnspool() {}

// Opens the plus-tools chooser (the body of the "Tools" button). Not built
// yet: routed here, does nothing.
void MainDialog::OnPlusTools() {}

}  // namespace leafwright
