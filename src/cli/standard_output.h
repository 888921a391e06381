#pragma once

#include <string>

namespace leafwright::cli {

// Writes one line to standard output (a path written, say) and hands it to
// the system at once. A write that fails there (a full disk, a closed pipe)
// is remembered, not ignored: the output the user relies on is incomplete.
void printOutputLine(const std::string& line);

// Hands what is buffered for standard output to the system, remembering a
// failure like printOutputLine.
void flushStandardOutput();

// Flushes standard output and returns why a write to it failed during the
// run, or an empty text when everything reached it.
std::string standardOutputFailure();

}  // namespace leafwright::cli
