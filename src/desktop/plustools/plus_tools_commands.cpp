#include "plustools/plus_tools_commands.h"

#include "platform/modal_runner.h"
#include "plustools/plus_tools_dialog.h"
#include "plustools/unspool_dialog.h"

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
