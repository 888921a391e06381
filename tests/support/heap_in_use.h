#pragma once

#include <malloc.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LEAFWRIGHT_SANITIZER_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LEAFWRIGHT_SANITIZER_HEAP 1
#endif
#endif

#ifdef LEAFWRIGHT_SANITIZER_HEAP
// The sanitizers' allocator counts for itself (declared here: not every
// compiler ships sanitizer/allocator_interface.h).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace leafwright::testing {

// The bytes the heap holds for the program now, from its allocator's own
// accounting: what a test allocates between two readings, on this thread
// and with nothing else running, is their difference.
inline std::size_t heapBytesInUse() {
#ifdef LEAFWRIGHT_SANITIZER_HEAP
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

}  // namespace leafwright::testing
