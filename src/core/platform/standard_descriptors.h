#pragma once

namespace leafwright {

// A program started with standard input, output or error closed (`<&-`)
// would hand those numbers to the next files it opens: the spool of standard
// input would be read as standard input, a PDF written where messages go.
// Each closed one is given /dev/null opened the other way round (standard
// input for writing, the other two for reading), so that no file takes its
// number and using it still fails as a closed descriptor does (EBADF).
// Every program calls this first, before it opens anything.
void holdClosedStandardDescriptors() noexcept;

}  // namespace leafwright
