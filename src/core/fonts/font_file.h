#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace leafwright {

// Gives back the memory readFontFile took for a file's bytes: a block of
// `mapped` bytes taken from the kernel, or (mapped 0) one of new[].
struct FontMemoryRelease {
    std::size_t mapped = 0;
    void operator()(char* data) const noexcept;
};

// The bytes of a font file, read whole into memory: a file that is changed or
// cut short later cannot reach the program, as the pages of a memory map
// would (with a bus error).
struct FontFileBytes {
    std::unique_ptr<char[], FontMemoryRelease> data;
    std::size_t size = 0;
};

// The largest font file read; TrueType files of every script stay far below.
inline constexpr std::size_t kLargestFontFile = std::size_t{256} << 20;

// Reads the font file at `path`, which must be a regular file (it is opened
// without waiting, so a pipe put in its place cannot hold the program up).
// Returns false when it cannot be opened (the face is then not used, as one
// that cannot be embedded). Throws std::runtime_error naming the font when
// it is no regular file, larger than kLargestFontFile, cannot be read, or
// changed while it was read.
bool readFontFile(const std::string& path, FontFileBytes& bytes);

}  // namespace leafwright
