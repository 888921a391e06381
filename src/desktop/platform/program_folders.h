#pragma once

#include <QString>
#include <QStringList>

namespace leafwright {

// Where the program keeps its files. Both texts are absolute and end in "/".
struct ProgramFolders {
    // programFolder: the folder of last.tcf and default.tcf, and the folder
    // that commands naming files relative to the program make current.
    QString programFolder;
    // The folder of Help.htm and contact.htm.
    QString pagesFolder;
};

inline constexpr const char* kHelpPageName = "Help.htm";
inline constexpr const char* kContactPageName = "contact.htm";
// The folder below share/ where an install keeps the pages.
inline constexpr const char* kDataFolderName = "leafwright";

// The choice behind locateProgramFolders, given what it found:
// - a portable program (its folder writable, and no installed layout) keeps
//   everything beside the executable;
// - otherwise (an install) the configuration files go to the user's
//   configuration folder, and the pages are taken from the first data folder
//   that holds Help.htm, then from beside the executable if it holds them,
//   else from the first data folder.
ProgramFolders chooseProgramFolders(const QString& executableFolder, bool executableFolderWritable,
                                    const QString& userConfigFolder,
                                    const QStringList& dataFolders);

// Whether the executable lies in an installed layout: a folder named "bin"
// beside a "share/leafwright" that holds Help.htm, as `cmake --install`
// lays it out under any prefix. Such a folder may well be writable (root
// owns /usr/local/bin), yet nothing belongs there but programs.
bool isInstalledLayout(const QString& executableFolder);

// The folders of a program whose executable lies in executableFolder; creates
// the user's configuration folder when it is chosen and missing. Writes
// nothing beside an installed program, not even a probe.
ProgramFolders locateProgramFoldersFor(const QString& executableFolder);

// The folders of this run, from the executable's location.
ProgramFolders locateProgramFolders();

// Whether files can be created in the folder.
bool folderIsWritable(const QString& folder);

}  // namespace leafwright
