#pragma once

#include "cli/convert_options.h"
#include "core/settings/conversion_settings.h"

namespace leafwright::cli {

// Why the options cannot make one PDF of the files (--combine), or an empty
// text.
std::string combineOptionsProblem(const ConvertOptions& options);

// Converts every FILE (and the --files-from list) into the one PDF that
// --combine names and returns the exit status as for single files: 0 when
// it was written (or, with --skip-existing, it exists), 1 when it was
// skipped or any source failed (nothing is written then).
int runCombine(const ConvertOptions& options, const ConversionSettings& settings);

}  // namespace leafwright::cli
