#include "cli/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace leafwright::cli {

namespace {

// The errno of the first failed write; 0 while none failed. std::cout shares
// stdout's buffer, so a failure surfaces in the stdio call that flushes it.
int firstFailure = 0;

void noteFailure(int errorNumber) {
    if (firstFailure == 0) firstFailure = errorNumber != 0 ? errorNumber : EIO;
}

}  // namespace

void printOutputLine(const std::string& line) {
    if (firstFailure != 0) return;
    errno = 0;
    std::cout << line << '\n';
    if (!std::cout || std::ferror(stdout)) noteFailure(errno);
    // Each line goes out at once, also into a pipe or a file: a signal that
    // ends the run (right after a file was replaced, say) must not take the
    // list of the files written before it along.
    flushStandardOutput();
}

void flushStandardOutput() {
    errno = 0;
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    const int flushError = errno;
    if (!flushed || !std::cout || std::ferror(stdout)) noteFailure(flushError);
}

std::string standardOutputFailure() {
    flushStandardOutput();
    return firstFailure == 0 ? std::string() : std::strerror(firstFailure);
}

}  // namespace leafwright::cli
