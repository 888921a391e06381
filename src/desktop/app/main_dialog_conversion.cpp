// The Convert Files command of the main window.
#include "app/main_dialog.h"

namespace leafwright {

// Converts every row of the source list into a PDF file and lists the result.
// Not built yet: the command is routed here and does nothing until then.
void MainDialog::OnConvertFiles() {}

}  // namespace leafwright
