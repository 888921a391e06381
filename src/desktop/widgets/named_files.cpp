#include "desktop/widgets/named_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "desktop/widgets/file_list.h"
#include "desktop/widgets/notice_box.h"

namespace leafwright {

namespace {

// A notice names at most this many entries of each sort: a folder of
// thousands of refused files still gives a notice that fits the screen.
constexpr qsizetype kNamesShown = 20;

// Regular files (and links to them), hidden ones left out; the name
// patterns match without regard to case, as QDir matches them unless told
// otherwise.
constexpr QDir::Filters kFolderFiles = QDir::Files;

// The files of one folder that the kind takes, in name order, and whether
// the folder holds folders.
void takeFolder(const QString& folder, const FileKind& kind, NamedFiles& sorted) {
    const QDir dir(folder);
    QStringList taken;
    for (const QFileInfo& entry :
         dir.entryInfoList(kind.folderPatterns, kFolderFiles, QDir::NoSort)) {
        const QString path = entry.absoluteFilePath();
        (!kind.wanted || kind.wanted(path) ? taken : sorted.refused) << path;
    }
    sortInNameOrder(taken);
    const bool holdsFolders = !dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty();
    // A folder of folders is named for them; one that gives nothing at all
    // is named for that, rather than passed over without a word.
    if (taken.isEmpty() && !holdsFolders) sorted.emptyFolders << dir.absolutePath();
    sorted.files << taken;
    if (holdsFolders) sorted.foldersWithSubfolders << dir.absolutePath();
}

QString namesOf(const QStringList& paths) {
    QStringList shown = paths.mid(0, kNamesShown);
    if (paths.size() > kNamesShown)
        shown << QStringLiteral("and %1 more").arg(paths.size() - kNamesShown);
    return shown.join(QLatin1Char('\n'));
}

}  // namespace

bool carriesLocalFiles(const QMimeData* data) {
    return !droppedPaths(data).isEmpty();
}

QStringList droppedPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

void sortInNameOrder(QStringList& paths) {
    std::stable_sort(paths.begin(), paths.end(), pathTextLess);
}

NamedFiles sortNamedFiles(const QStringList& names, const FileKind& kind) {
    NamedFiles sorted;
    for (const QString& name : names) {
        const QFileInfo info(name);
        const QString path = info.absoluteFilePath();
        if (info.isDir())
            takeFolder(path, kind, sorted);
        else if (!info.exists())
            sorted.missing << path;
        else if (!info.isFile())
            sorted.leftOut << path;
        else if (kind.wanted && !kind.wanted(path))
            sorted.refused << path;
        else
            sorted.files << path;
    }
    return sorted;
}

NamedFiles filesInSubfolders(const QStringList& folders, const FileKind& kind) {
    NamedFiles sorted;
    for (const QString& folder : folders) {
        // Every folder below, each taken like a folder named on its own.
        QStringList below;
        QDirIterator walk(folder, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (walk.hasNext()) below << walk.next();
        sortInNameOrder(below);
        for (const QString& subfolder : below) {
            NamedFiles one;
            takeFolder(subfolder, kind, one);
            sorted.files << one.files;
            sorted.refused << one.refused;
        }
    }
    return sorted;
}

void reportNamedFiles(QWidget* owner, const NamedFiles& named, const FileKind& kind,
                      const std::function<void(const QStringList& files)>& add) {
    QStringList parts;
    if (!named.missing.isEmpty())
        parts << QStringLiteral("These were not added, as they do not exist:\n%1")
                     .arg(namesOf(named.missing));
    if (!named.leftOut.isEmpty())
        parts << QStringLiteral("These were not added, as they are not files:\n%1")
                     .arg(namesOf(named.leftOut));
    if (!named.refused.isEmpty())
        parts << QStringLiteral("These were not added, as they are not %1:\n%2")
                     .arg(kind.name, namesOf(named.refused));
    if (!named.emptyFolders.isEmpty())
        parts << QStringLiteral("These folders hold no %1:\n%2")
                     .arg(kind.name, namesOf(named.emptyFolders));
    std::vector<NoticeAnswer> answers;
    if (!named.foldersWithSubfolders.isEmpty()) {
        parts << QStringLiteral(
                     "These folders hold folders of their own, which were not opened:\n%1")
                     .arg(namesOf(named.foldersWithSubfolders));
        answers.push_back({QStringLiteral("Include subfolders"), [owner, named, kind, add] {
                               const NamedFiles below =
                                   filesInSubfolders(named.foldersWithSubfolders, kind);
                               add(below.files);
                               NamedFiles refusedBelow;
                               refusedBelow.refused = below.refused;
                               reportNamedFiles(owner, refusedBelow, kind, add);
                           }});
    }
    if (parts.isEmpty()) return;
    postNotice(owner, parts.join(QStringLiteral("\n\n")), QMessageBox::Information,
               std::move(answers));
}

}  // namespace leafwright
