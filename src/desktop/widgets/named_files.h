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

// Names given from outside the file dialogs (dropped, or on the command
// line), sorted into the existing regular files a list takes, made absolute
// against the current folder, and the rest (folders, which are not opened,
// missing names, other kinds of entries, or files that `wanted` refuses).
struct NamedFiles {
    QStringList files;
    QStringList leftOut;
};
NamedFiles sortNamedFiles(const QStringList& names,
                          const std::function<bool(const QString&)>& wanted = {});

// Names the left-out entries in one notice over `owner`; nothing when none
// was left out. `kind` says what was wanted ("files", "PDF files").
void reportLeftOut(QWidget* owner, const QStringList& leftOut, const QString& kind);

}  // namespace leafwright
