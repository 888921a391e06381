#pragma once

namespace leafwright {

// Makes a write past the file-size limit (ulimit -f) fail like a full disk:
// the write returns an error that the file layer reports and cleans up after,
// instead of the signal ending the program with a temporary file left behind.
// Every program that writes files calls this once at start-up.
void failWritesPastFileSizeLimit();

}  // namespace leafwright
