// The configuration commands of the main window: Options, Load Configuration
// File and Default Configuration File.
#include "app/main_dialog.h"

namespace leafwright {

// Each of these makes programFolder current first (enterProgramFolder), then
// edits the settings starting from a configuration file. Not built yet: the
// commands are routed here and do nothing until then.
void MainDialog::OnOptions() {}

void MainDialog::OnLoadConfigurationFile() {}

void MainDialog::OnDefaultConfigurationFile() {}

}  // namespace leafwright
