#pragma once

#include <string>
#include <string_view>

namespace leafwright {

// The path of the file made from a source, beside it: the source path with
// the last three characters of its file name replaced by `ending`, whatever
// they are (notes.txt -> notes.pdf, report.PDF -> report.txt, a.ps -> apdf,
// 日本語 -> pdf), characters being those of UTF-8 where the name is UTF-8
// throughout and bytes otherwise. A file name of fewer than three
// characters is kept whole, with "." and `ending` after it (logs/1 ->
// logs/1.pdf), so that every output stays in its source's folder.
// Converting and Unspool name their outputs so.
std::string outputBeside(const std::string& sourcePath, std::string_view ending);

}  // namespace leafwright
