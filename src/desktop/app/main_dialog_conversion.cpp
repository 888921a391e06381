// The Convert Files command of the main window.
#include <string>
#include <utility>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "core/settings/messages.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/message_box.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/list_run.h"

namespace leafwright {

void MainDialog::OnConvertFiles() {
    if (sourceList_->rowCount() == 0) {
        showMessage(this, kTextListEmpty);
        return;
    }
    // The run works on a copy on its own thread and hands it back: the
    // self-adapting layout leaves the last page size in the settings.
    ConversionSettings running = settings_;
    listRun_->run([&running](const std::vector<std::string>& sources, FileRunHandler& handler) {
        runConversion(sources, running, handler);
    });
    settings_ = running;
    if (closeAfterRun_ >= 0) done(std::exchange(closeAfterRun_, -1));
}

}  // namespace leafwright
