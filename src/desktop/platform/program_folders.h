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

// The choice behind locateProgramFolders, given what it found:
// - a writable program folder keeps everything beside the executable;
// - otherwise (a system-wide install) the configuration files go to the
//   user's configuration folder, and the pages are taken from the first data
//   folder that holds Help.htm, then from beside the executable if it holds
//   them, else from the first data folder.
ProgramFolders chooseProgramFolders(const QString& executableFolder, bool executableFolderWritable,
                                    const QString& userConfigFolder,
                                    const QStringList& dataFolders);

// The folders of this run, from the executable's location; creates the user's
// configuration folder when it is chosen and missing.
ProgramFolders locateProgramFolders();

// Whether files can be created in the folder.
bool folderIsWritable(const QString& folder);

}  // namespace leafwright
