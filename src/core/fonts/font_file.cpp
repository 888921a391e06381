#include "core/fonts/font_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>

#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace leafwright {

namespace {

class OpenFile {
  public:
    explicit OpenFile(int fd) : fd_(fd) {}
    ~OpenFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

[[noreturn]] void fail(const std::string& path, const std::string& cause) {
    throw std::runtime_error("font " + path + " " + cause);
}

bool sameVersion(const struct stat& before, const struct stat& after) {
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

// Reads [0, size) into data; false when the file ends sooner.
bool readAll(int fd, char* data, std::size_t size, const std::string& path) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, data + done, size - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(path, std::string("could not be read: ") + std::strerror(errno));
        if (got == 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// A large file's bytes go to memory taken from the kernel in 2 MB pages where
// it allows (transparent huge pages on request): filling 19 MB of fresh 4 KB
// pages costs one page fault each, about 50 ms on a virtual machine, which a
// document that needs a character of the Noto CJK collection waits for.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::unique_ptr<char[], FontMemoryRelease> memoryFor(std::size_t size) {
    if (size >= kHugePage) {
        const std::size_t mapped = (size + kHugePage - 1) / kHugePage * kHugePage;
        // A huge page more than needed, so that an aligned block lies
        // within; the rest is given back at once.
        const std::size_t taken = mapped + kHugePage;
        void* block =
            ::mmap(nullptr, taken, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block != MAP_FAILED) {
            const auto start = reinterpret_cast<std::uintptr_t>(block);
            const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
            if (aligned > start) ::munmap(block, aligned - start);
            const std::size_t tail = taken - (aligned - start) - mapped;
            if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + mapped), tail);
            char* data = reinterpret_cast<char*>(aligned);
            // Only advice: where huge pages are off, the block has small ones.
            ::madvise(data, mapped, MADV_HUGEPAGE);
            // Under AddressSanitizer a read past the bytes asked for is
            // still caught, as in a block of new[].
            ASAN_POISON_MEMORY_REGION(data + size, mapped - size);
            return std::unique_ptr<char[], FontMemoryRelease>(data, FontMemoryRelease{mapped});
        }
    }
    // Left uninitialised: the read fills it.
    return std::unique_ptr<char[], FontMemoryRelease>(new char[size], FontMemoryRelease{});
}

}  // namespace

void FontMemoryRelease::operator()(char* data) const noexcept {
    if (mapped != 0) {
        // Memory mapped later at these addresses must not find them poisoned.
        ASAN_UNPOISON_MEMORY_REGION(data, mapped);
        ::munmap(data, mapped);
    } else {
        delete[] data;
    }
}

bool readFontFile(const std::string& path, FontFileBytes& bytes) {
    const OpenFile file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.fd() < 0) return false;
    struct stat before {};
    if (::fstat(file.fd(), &before) != 0) return false;
    if (!S_ISREG(before.st_mode)) fail(path, "is not a regular file");
    if (before.st_size < 0 || static_cast<std::uint64_t>(before.st_size) > kLargestFontFile)
        fail(path, "is larger than " + std::to_string(kLargestFontFile >> 20) + " MB");
    const auto size = static_cast<std::size_t>(before.st_size);
    auto data = memoryFor(size + 1);
    // One byte past the size seen shows a file that grew meanwhile.
    char past = 0;
    struct stat after {};
    if (!readAll(file.fd(), data.get(), size, path) ||
        ::pread(file.fd(), &past, 1, before.st_size) != 0 || ::fstat(file.fd(), &after) != 0 ||
        !sameVersion(before, after))
        fail(path, "changed while it was read");
    bytes.data = std::move(data);
    bytes.size = size;
    return true;
}

}  // namespace leafwright
