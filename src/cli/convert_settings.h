#pragma once

#include "cli/convert_options.h"
#include "core/settings/conversion_settings.h"

namespace leafwright::cli {

// Fills the settings as a confirmed settings window would: the values of the
// configuration file (or the defaults, which derive to exactly the start-up
// settings), with the settings after its twelve lines, the document
// information and folder overridden by the options. Refused settings are
// reported on standard error, naming the file or option they come from;
// warnings about a file's ignored lines too. Returns the exit status for a
// refusal, or kExitOk.
int prepareSettings(const ConvertOptions& options, ConversionSettings& settings);

}  // namespace leafwright::cli
