#include "desktop/widgets/past_edge_notice.h"

namespace leafwright {

namespace {

// The notice names at most this many files.
constexpr qsizetype kFilesNamed = 20;

}  // namespace

QString pastEdgeNotice(const QStringList& files) {
    if (files.isEmpty()) return {};
    QStringList shown = files.mid(0, kFilesNamed);
    if (files.size() > kFilesNamed)
        shown << QStringLiteral("and %1 more").arg(files.size() - kFilesNamed);
    return QStringLiteral("These files have lines that run past the right edge of the page:\n") +
           shown.join(QLatin1Char('\n')) +
           QStringLiteral(
               "\n\nTo print them whole, turn on wrapping: Settings > Options > "
               "More settings...");
}

QString pastEdgeFileLine(const QString& file, quint64 lines) {
    return lines == 1 ? QStringLiteral("%1 (1 line)").arg(file)
                      : QStringLiteral("%1 (%2 lines)").arg(file).arg(lines);
}

}  // namespace leafwright
