#pragma once

#include <string>
#include <vector>

#include "core/pdf/combined_document.h"
#include "core/run/file_run.h"
#include "core/settings/conversion_settings.h"

namespace leafwright {

class FontProvider;

// A run that converts the sources into one PDF at outputPath
// (convertCombined), reported to the handler as one file of a run whose
// source is outputPath itself: an existing file there is replaced only after
// confirmOverwrite says Yes (else declined), the document is reported with
// convertedWithFacts, each source's warning and lines past the page's edge
// in its facts' sources, and a failure with failed, its FileError naming the source
// that failed. A cancelled run (RunControlScope) throws RunCancelled and
// leaves no output. fonts: nullptr for the installed faces.
void runCombinedConversion(const std::vector<std::string>& sources, const std::string& outputPath,
                           const ConversionSettings& settings, FileRunHandler& handler,
                           FontProvider* fonts = nullptr, const CombineProgress& progress = {});

}  // namespace leafwright
