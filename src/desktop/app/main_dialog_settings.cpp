// The configuration commands of the main window: Options, Load Configuration
// File and Default Configuration File, and the settings edit they share.
#include <QDir>
#include <QFile>
#include <optional>
#include <string>

#include "core/fonts/system_font_provider.h"
#include "core/platform/file_error.h"
#include "core/settings/config_file.h"
#include "core/settings/derivation.h"
#include "core/settings/settings_refusal.h"
#include "desktop/app/main_dialog.h"
#include "desktop/platform/file_dialog.h"
#include "desktop/platform/message_box.h"
#include "desktop/settings/config_file_reporting.h"
#include "desktop/settings/settings_dialog.h"
#include "desktop/widgets/field_names.h"
#include "desktop/widgets/notice_box.h"

namespace leafwright {

namespace {

std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

// Each command first makes programFolder current: the two configuration
// files live there, and a relative output folder is taken from there.

void MainDialog::OnOptions() {
    enterProgramFolder();
    try {
        createMissingConfigFiles(toPath(programFolder()));
    } catch (const FileError& error) {
        showFileError(this, error);
        return;
    }
    EditSettings(QDir(programFolder()).filePath(QString::fromLatin1(kLastConfigName)));
}

void MainDialog::OnLoadConfigurationFile() {
    enterProgramFolder();
    const QString path = askOpenFileName(this, QString::fromLatin1(SettingsDialog::kConfigFilter));
    if (path.isEmpty()) return;
    EditSettings(path);
}

void MainDialog::OnDefaultConfigurationFile() {
    // A missing default.tcf is reported when it is read, not created.
    enterProgramFolder();
    EditSettings(QDir(programFolder()).filePath(QString::fromLatin1(kDefaultConfigName)));
}

void MainDialog::EditSettings(const QString& sourcePath) {
    // The dialog's document information starts empty every time: no file
    // keeps it.
    SettingsDialog dialog(programFolder(), this);
    nameFieldsByTheirLabels(&dialog);
    const std::optional<ChosenValues> fileValues = readConfigFileReporting(this, sourcePath);
    if (!fileValues) return;
    dialog.setFileValues(*fileValues);

    // A rejection reopens the same dialog, which still holds the values the
    // user confirmed, the faulty one included, for correction.
    while (dialog.run() == QDialog::Accepted) {
        // The file dialogs inside the settings dialog may have moved the
        // current folder; a relative output folder means one in programFolder.
        enterProgramFolder();
        // The derivation works on a copy and changes the record in place, so
        // a rejection followed by Cancel leaves the settings exactly as they
        // were before the command.
        ConversionSettings derived = settings_;
        if (int rejected = deriveSettings(derived, dialog.values())) {
            showMessage(this, rejected);
            continue;
        }
        if (const char* refusal = settingsRefusal(derived)) {
            showNotice(this, QString::fromLatin1(refusal), QMessageBox::NoIcon);
            continue;
        }
        // A family loaded from a file that this machine lacks would fail
        // every file of the next run.
        if (const std::string problem = SystemFontProvider::problemWith(
                {derived.chosen.more.fontFamily, derived.chosen.more.fontFile});
            !problem.empty()) {
            showNotice(this, QString::fromStdString(problem) + '.', QMessageBox::NoIcon);
            continue;
        }
        settings_ = std::move(derived);
        // The record now holds the margins after the empty-margin rule and
        // the folder as typed, which is what the file keeps. A write that
        // fails leaves the accepted settings in force.
        try {
            writeConfigFile(
                toPath(QDir(programFolder()).filePath(QString::fromLatin1(kLastConfigName))),
                settings_.chosen);
        } catch (const FileError& error) {
            showFileError(this, error);
        }
        return;
    }
}

}  // namespace leafwright
