#include "platform/program_folders.h"

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

ProgramFolders locateProgramFolders() {
    const QString executableFolder = QCoreApplication::applicationDirPath();
    const bool writable = folderIsWritable(executableFolder);
    QString configFolder;
    QStringList dataFolders;
    if (!writable) {
        configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QDir().mkpath(configFolder);
        dataFolders = QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
        // An install under one prefix (bin/ and share/ side by side).
        dataFolders << QDir(executableFolder)
                           .absoluteFilePath(QStringLiteral("../share/") +
                                             QCoreApplication::applicationName());
    }
    return chooseProgramFolders(executableFolder, writable, configFolder, dataFolders);
}

}  // namespace leafwright
