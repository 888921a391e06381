// The Convert Files command of the main window.
#include <QFile>
#include <exception>
#include <string>
#include <vector>

#include "desktop/app/file_list.h"
#include "desktop/app/main_dialog.h"
#include "core/pdf/conversion_run.h"
#include "core/platform/file_error.h"
#include "desktop/platform/message_box.h"
#include "core/settings/messages.h"
#include "desktop/widgets/notice_box.h"

namespace leafwright {

namespace {

// Answers the run's questions in message boxes and keeps the two lists in
// step with it: the source being converted is always the first row of the
// source list, and leaves it once the run is done with it.
class WindowRunHandler : public ConversionRunHandler {
  public:
    WindowRunHandler(QWidget* owner, FileList& sources, FileList& results)
        : owner_(owner), sources_(sources), results_(results) {}

    bool confirmOverwrite(const std::string&, const std::string&) override {
        return showMessage(owner_, kOverwriteQuestion) == QMessageBox::Yes;
    }

    void converted(const std::string&, const std::string& outputPath) override {
        sources_.deleteRow(0);
        // The result list keeps its own order; the counter only says where
        // the row goes in before the list places it.
        results_.insertRow(convertedCount_++,
                           QFile::decodeName(QByteArray::fromStdString(outputPath)));
    }

    void declined(const std::string&, const std::string&) override { sources_.deleteRow(0); }

    void warned(const std::string& sourcePath, const std::string& message) override {
        warnings_ += QFile::decodeName(QByteArray::fromStdString(sourcePath)) + ": " +
                     QString::fromStdString(message) + "\n";
    }

    // One notice after the run for every file that converted with a warning.
    const QString& warnings() const { return warnings_; }

    bool failed(const std::string&, const FileError& error) override {
        // The failing row and every row after it stay listed, so the next run
        // starts again at the same file.
        showFileError(owner_, error);
        return false;
    }

  private:
    QWidget* owner_;
    FileList& sources_;
    FileList& results_;
    int convertedCount_ = 0;
    QString warnings_;
};

}  // namespace

void MainDialog::OnConvertFiles() {
    if (sourceList_->rowCount() == 0) {
        showMessage(this, kTextListEmpty);
        return;
    }
    // The list is ascending, so its row order is the order of conversion.
    std::vector<std::string> sources;
    sources.reserve(static_cast<std::size_t>(sourceList_->rowCount()));
    for (const QString& path : sourceList_->rowTexts())
        sources.push_back(QFile::encodeName(path).toStdString());

    WindowRunHandler handler(this, *sourceList_, *resultList_);
    try {
        runConversion(sources, settings_, handler);
    } catch (const std::exception& error) {
        // Anything beyond a file error (memory running out on a huge line)
        // ends the run like one; the rows not yet done stay listed.
        showNotice(this, QString::fromLocal8Bit(error.what()));
    }
    if (!handler.warnings().isEmpty()) showNotice(this, handler.warnings().trimmed());
}

}  // namespace leafwright
