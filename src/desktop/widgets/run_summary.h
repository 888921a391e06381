#pragma once

#include <QString>

namespace leafwright {

// How a run over a window's list ended, counted by file.
struct RunTally {
    int converted = 0;
    int skipped = 0;  // the overwrite question answered No
    int failed = 0;
    int left = 0;  // not done when the run was cancelled
    bool cancelled = false;
};

// The summary a window shows after a run: "12 converted, 3 skipped, 1
// failed", and what a cancel left undone.
QString runSummaryText(const RunTally& tally);

// Whether a run deserves a summary: one that did not convert every file, or
// lasted long enough to show its progress. A short run that converted all
// says nothing, as the lists show it.
bool runDeservesSummary(const RunTally& tally, bool showedProgress);

}  // namespace leafwright
