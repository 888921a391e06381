// The Convert Files command of the main window.
#include <utility>

#include "core/settings/messages.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/message_box.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/list_run.h"
#include "desktop/widgets/window_file_run.h"

namespace leafwright {

void MainDialog::OnConvertFiles() {
    if (sourceList_->rowCount() == 0) {
        showMessage(this, kTextListEmpty);
        return;
    }
    // Each worker converts with its own copy of the settings; the
    // self-adapting layout leaves the page size of the last file converted
    // in the window's settings, as it does in one file's.
    WindowConversionSteps steps(settings_);
    const std::string lastOutput = listRun_->run(steps.maker());
    if (auto after = steps.settingsAfter(lastOutput)) settings_ = std::move(*after);
    if (closeAfterRun_ >= 0) done(std::exchange(closeAfterRun_, -1));
}

}  // namespace leafwright
