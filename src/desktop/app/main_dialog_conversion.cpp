// The Convert Files command of the main window.
#include <QFile>
#include <QFileInfo>
#include <utility>

#include "core/pdf/combined_run.h"
#include "core/settings/messages.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/file_dialog.h"
#include "desktop/platform/message_box.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/list_run.h"
#include "desktop/widgets/window_file_run.h"

namespace leafwright {

namespace {

// The run's handler, but for the first overwrite question, which the save
// dialog already asked when `granted` is set.
class AlreadyAsked final : public FileRunHandler {
  public:
    AlreadyAsked(FileRunHandler& inner, bool& granted) : inner_(inner), granted_(granted) {}
    bool confirmOverwrite(const std::string& source, const std::string& output) override {
        return std::exchange(granted_, false) || inner_.confirmOverwrite(source, output);
    }
    void converted(const std::string& source, const std::string& output) override {
        inner_.converted(source, output);
    }
    void convertedWithFacts(const std::string& source, const std::string& output,
                            const FileRunFacts& facts) override {
        inner_.convertedWithFacts(source, output, facts);
    }
    void declined(const std::string& source, const std::string& output) override {
        inner_.declined(source, output);
    }
    bool failed(const std::string& source, const FileError& error) override {
        return inner_.failed(source, error);
    }
    void warned(const std::string& source, const std::string& message) override {
        inner_.warned(source, message);
    }

  private:
    FileRunHandler& inner_;
    bool& granted_;
};

}  // namespace

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

void MainDialog::OnConvertIntoOnePdf() {
    if (sourceList_->rowCount() == 0) {
        showMessage(this, kTextListEmpty);
        return;
    }
    const QString chosen =
        askSaveFileName(this, QStringLiteral("PDF file(*.pdf)|*.pdf;|All files (*)|*|"));
    if (chosen.isEmpty()) return;
    // A name typed without an extension gets the document's, as a save
    // dialog's default suffix would give it; the dialog then asked about no
    // file of that name.
    const bool suffixAdded = QFileInfo(chosen).suffix().isEmpty();
    const QString named = suffixAdded ? chosen + QStringLiteral(".pdf") : chosen;
    const std::string output = QFile::encodeName(named).toStdString();
    // The save dialog asked before naming an existing file; a file that
    // appears there meanwhile is asked about again.
    bool replaceGranted = !suffixAdded && QFile::exists(named);
    const ConversionSettings settings = settings_;
    listRun_->runCombined([&](const std::vector<std::string>& sources, FileRunHandler& handler,
                              const CombineProgress& progress) {
        AlreadyAsked granting(handler, replaceGranted);
        runCombinedConversion(sources, output, settings, granting, nullptr, progress);
    });
    if (closeAfterRun_ >= 0) done(std::exchange(closeAfterRun_, -1));
}

}  // namespace leafwright
