#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace leafwright::fuzzing {

namespace detail {

// Never freed: the folder is removed at exit, after the static objects may
// be gone.
inline const std::string* madeFolder = nullptr;

inline void removeMadeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(*madeFolder, ignored);
}

}  // namespace detail

// One private folder per fuzzing process for the files its inputs need,
// made on first use in $TMPDIR (else /tmp) as leafwright-NAME-fuzz-XXXXXX
// and removed with its contents when the process exits. A crash leaves it
// behind with the files of the input that caused it; scripts/fuzz.sh runs
// the targets in a temporary folder of its own and removes that too.
inline const std::string& workFolder(const char* name) {
    if (detail::madeFolder == nullptr) {
        const char* temporary = std::getenv("TMPDIR");
        std::string pattern =
            std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") +
            "/leafwright-" + name + "-fuzz-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (::mkdtemp(buffer.data()) == nullptr) std::abort();
        detail::madeFolder = new std::string(buffer.data());
        std::atexit(detail::removeMadeFolder);
    }
    return *detail::madeFolder;
}

}  // namespace leafwright::fuzzing
