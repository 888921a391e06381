#pragma once

#include <functional>

#include "core/run/file_run.h"

namespace leafwright {

// The run over files with `jobs` files converted at once, for a handler that
// asks no one (reportsMayWait()); any other handler, a single job or fewer
// than two sources get the plain runOverFiles. The outputs and the outcome
// of each source are those of one job at a time, and the reports come in
// the sources' order, from the calling thread:
// - worker threads take the sources in order and convert them, each with
//   its own steps from makeSteps (and so its own copy of the settings),
//   one thread a file; a run of one job at a time gives each file `jobs`;
// - when the system cannot start as many threads as jobs, the run goes on
//   with the workers it has, and with none, on the calling thread alone,
//   one file at a time: never is a file left unconverted or unreported
//   for want of a thread;
// - sources whose outputs name the same file (the same folder, reached by
//   any path, and name) are converted one after another, in order;
// - a worker's replacement is flushed to disk on its own before its rename
//   (a held-back batch would hold the reports of the other workers too),
//   and the folders it replaced files in are flushed when it ends.
// Sources are read from the feed as the workers need them, a bounded number
// ahead of the reports.
void runOverFilesInParallel(const SourceFeed& sources, const FileRunStepsMaker& makeSteps,
                            FileRunHandler& handler, unsigned jobs);

}  // namespace leafwright
