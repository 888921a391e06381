#include "desktop/platform/program_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace leafwright {

namespace {

QString withSeparator(const QString& folder) {
    QString cleaned = QDir::cleanPath(QDir(folder).absolutePath());
    if (!cleaned.endsWith(QLatin1Char('/'))) cleaned += QLatin1Char('/');
    return cleaned;
}

bool holdsHelpPage(const QString& folder) {
    return QFileInfo::exists(QDir(folder).filePath(QString::fromLatin1(kHelpPageName)));
}

// Where an install under one prefix keeps the pages: bin/ and share/ side by
// side.
QString installedDataFolder(const QString& executableFolder) {
    return QDir::cleanPath(
        QDir(executableFolder)
            .absoluteFilePath(QStringLiteral("../share/") + QString::fromLatin1(kDataFolderName)));
}

}  // namespace

ProgramFolders chooseProgramFolders(const QString& executableFolder, bool executableFolderWritable,
                                    const QString& userConfigFolder,
                                    const QStringList& dataFolders) {
    const QString beside = withSeparator(executableFolder);
    if (executableFolderWritable) return {beside, beside};

    ProgramFolders folders;
    folders.programFolder = withSeparator(userConfigFolder);
    for (const QString& folder : dataFolders) {
        if (holdsHelpPage(folder)) {
            folders.pagesFolder = withSeparator(folder);
            return folders;
        }
    }
    if (holdsHelpPage(executableFolder) || dataFolders.isEmpty())
        folders.pagesFolder = beside;
    else
        folders.pagesFolder = withSeparator(dataFolders.first());
    return folders;
}

bool folderIsWritable(const QString& folder) {
    // Trying is the only reliable test: permission bits say nothing about a
    // read-only mount, and the super-user passes every permission check.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".leafwright-probe-XXXXXX")));
    return probe.open();
}

bool isInstalledLayout(const QString& executableFolder) {
    return QDir(QDir::cleanPath(executableFolder)).dirName() == QLatin1String("bin") &&
           holdsHelpPage(installedDataFolder(executableFolder));
}

ProgramFolders locateProgramFoldersFor(const QString& executableFolder) {
    const bool portable =
        !isInstalledLayout(executableFolder) && folderIsWritable(executableFolder);
    QString configFolder;
    QStringList dataFolders;
    if (!portable) {
        configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QDir().mkpath(configFolder);
        // The install's own pages come first, so that a program under one
        // prefix does not show the pages of another version elsewhere.
        dataFolders << installedDataFolder(executableFolder);
        dataFolders << QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
    }
    return chooseProgramFolders(executableFolder, portable, configFolder, dataFolders);
}

ProgramFolders locateProgramFolders() {
    return locateProgramFoldersFor(QCoreApplication::applicationDirPath());
}

}  // namespace leafwright
