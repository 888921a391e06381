// A stand-in fuzz target that fails on every input as a target fails on a
// corpus entry that breaks it: the replay of a corpus must end in that abort,
// not pass over it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) {
    std::abort();
}
