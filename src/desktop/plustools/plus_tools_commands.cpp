#include "desktop/plustools/plus_tools_commands.h"

#include "desktop/platform/modal_runner.h"
#include "desktop/plustools/plus_tools_dialog.h"
#include "desktop/plustools/unspool_dialog.h"

namespace leafwright {

int runUnspoolDialog(QWidget* owner) {
    UnspoolDialog dialog(owner);
    return runModal(dialog);
}

int runPlusToolsDialog(QWidget* owner) {
    PlusToolsDialog dialog(owner);
    return runModal(dialog);
}

}  // namespace leafwright
