#include "desktop/settings/config_file_reporting.h"

#include <QFile>
#include <QStringList>

#include "core/platform/file_error.h"
#include "core/settings/config_file.h"
#include "desktop/widgets/notice_box.h"

namespace leafwright {

namespace {

QString ignoredLinesNotice(const QString& path, const std::vector<std::string>& warnings) {
    QStringList lines;
    for (const std::string& warning : warnings) lines << QString::fromStdString(warning) + '.';
    return QStringLiteral("In the file \"%1\":\n%2").arg(path, lines.join('\n'));
}

}  // namespace

std::optional<ChosenValues> readConfigFileReporting(QWidget* owner, const QString& path) {
    std::vector<std::string> warnings;
    ChosenValues values;
    try {
        values = readConfigFile(QFile::encodeName(path).toStdString(), &warnings);
    } catch (const FileError& error) {
        showFileError(owner, error);
        return std::nullopt;
    }
    if (!warnings.empty()) showNotice(owner, ignoredLinesNotice(path, warnings));
    return values;
}

}  // namespace leafwright
