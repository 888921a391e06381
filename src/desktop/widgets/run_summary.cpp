#include "desktop/widgets/run_summary.h"

namespace leafwright {

QString runSummaryText(const RunTally& tally) {
    QString text = QStringLiteral("%1 converted, %2 skipped, %3 failed")
                       .arg(tally.converted)
                       .arg(tally.skipped)
                       .arg(tally.failed);
    if (tally.cancelled) text += QStringLiteral("; cancelled with %1 left").arg(tally.left);
    return text;
}

bool runDeservesSummary(const RunTally& tally, bool showedProgress) {
    return showedProgress || tally.skipped > 0 || tally.failed > 0 || tally.cancelled;
}

}  // namespace leafwright
