#include "desktop/widgets/named_files.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "desktop/widgets/notice_box.h"

namespace leafwright {

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

NamedFiles sortNamedFiles(const QStringList& names,
                          const std::function<bool(const QString&)>& wanted) {
    NamedFiles sorted;
    for (const QString& name : names) {
        const QFileInfo info(name);
        const QString path = info.absoluteFilePath();
        // A folder is not opened: what it holds may be anything.
        if (info.isFile() && (!wanted || wanted(path)))
            sorted.files << path;
        else
            sorted.leftOut << path;
    }
    return sorted;
}

void reportLeftOut(QWidget* owner, const QStringList& leftOut, const QString& kind) {
    if (leftOut.isEmpty()) return;
    showNotice(owner,
               QStringLiteral("These were not added, as they are not %1:\n%2")
                   .arg(kind, leftOut.join(QLatin1Char('\n'))),
               QMessageBox::Information);
}

}  // namespace leafwright
