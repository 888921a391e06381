#pragma once

#include <string>
#include <string_view>

namespace leafwright {

// The path of the file made from a source, beside it: the source path with
// its last three characters replaced by `ending`, whatever they are
// (notes.txt -> notes.pdf, report.PDF -> report.txt, a.ps -> apdf), and a
// path of fewer than three characters replaced whole. Converting and
// Unspool name their outputs so.
std::string outputBeside(const std::string& sourcePath, std::string_view ending);

}  // namespace leafwright
