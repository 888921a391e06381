#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QMimeData;
class QWidget;

namespace leafwright {

// Whether a drag carries local files or folders (a file manager's
// text/uri-list), and their paths in the order given.
bool carriesLocalFiles(const QMimeData* data);
QStringList droppedPaths(const QMimeData* data);

// What a list takes from names given outside the file dialogs (dropped, or
// on the command line).
struct FileKind {
    // The files of a named folder that the list takes, as name patterns
    // matched without regard to case ("*.txt"; "*" for every file).
    QStringList folderPatterns;
    // Whether a file is of a kind the list takes at all; a file named on
    // its own and a file found in a folder are both asked.
    std::function<bool(const QString& path)> wanted;
    // What the refused files are not, for the notice ("text files").
    QString name;
};

// The names sorted out: the existing regular files (each made absolute
// against the current folder, a folder's files in name order in its place),
// the files of the wrong kind, the names of nothing (a link that leads
// nowhere among them), the other kinds of entries (devices, pipes), the
// folders opened that hold none of the files the kind takes, and those that
// hold folders of their own, which are not opened.
struct NamedFiles {
    QStringList files;
    QStringList refused;
    QStringList missing;
    QStringList leftOut;
    QStringList emptyFolders;
    QStringList foldersWithSubfolders;
};
NamedFiles sortNamedFiles(const QStringList& names, const FileKind& kind);

// The files the kind takes in the folders below `folders`, every level
// down (links to folders are not followed), in name order.
NamedFiles filesInSubfolders(const QStringList& folders, const FileKind& kind);

// Names the refused and left-out entries in one notice over `owner` that
// does not wait; nothing when all went in and no folder had subfolders.
// When one had, the notice says so and its "Include subfolders" answer
// hands their files to `add`.
void reportNamedFiles(QWidget* owner, const NamedFiles& named, const FileKind& kind,
                      const std::function<void(const QStringList& files)>& add);

// The order of paths within one folder's files: the order of the ascending
// file lists.
void sortInNameOrder(QStringList& paths);

}  // namespace leafwright
