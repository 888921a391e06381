#pragma once

#include <QString>
#include <QStringList>

namespace leafwright {

// The part of the notice after a run that names the files with lines that
// run past the right edge of the page (each line of `files`: a file and how
// many such lines it has) and where wrapping is turned on; empty for none.
QString pastEdgeNotice(const QStringList& files);

// One line of that list.
QString pastEdgeFileLine(const QString& file, quint64 lines);

}  // namespace leafwright
