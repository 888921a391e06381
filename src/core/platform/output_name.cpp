#include "core/platform/output_name.h"

#include <cstddef>

namespace leafwright {

namespace {

constexpr std::size_t kReplaced = 3;

// The length of the well-formed UTF-8 character at name[at], 0 when there
// is none there.
std::size_t utf8Length(std::string_view name, std::size_t at) {
    const auto lead = static_cast<unsigned char>(name[at]);
    std::size_t length = lead < 0x80   ? 1
                         : lead < 0xC2 ? 0
                         : lead < 0xE0 ? 2
                         : lead < 0xF0 ? 3
                         : lead < 0xF5 ? 4
                                       : 0;
    if (length == 0 || at + length > name.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(name[at + k]) & 0xC0) != 0x80) return 0;
    return length;
}

bool isUtf8(std::string_view name) {
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = utf8Length(name, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

// Where the name's last `count` characters start, npos when it has fewer: a
// character is all its bytes in a name that is UTF-8 throughout, a byte in
// any other.
std::size_t lastCharactersStart(std::string_view name, std::size_t count) {
    const bool utf8 = isUtf8(name);
    std::size_t at = name.size();
    for (std::size_t k = 0; k < count; ++k) {
        if (at == 0) return std::string_view::npos;
        --at;
        while (utf8 && at > 0 && (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80) --at;
    }
    return at;
}

}  // namespace

std::string outputBeside(const std::string& sourcePath, std::string_view ending) {
    const std::size_t slash = sourcePath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t replaced =
        lastCharactersStart(std::string_view(sourcePath).substr(nameStart), kReplaced);
    // A name of fewer characters keeps them all: cutting three would reach
    // into the folder's name (logs/1 would give logpdf, beside logs) or leave
    // no name (a and b would share one output).
    if (replaced == std::string_view::npos) {
        std::string path = sourcePath;
        path += '.';
        path += ending;
        return path;
    }
    std::string path = sourcePath.substr(0, nameStart + replaced);
    path += ending;
    return path;
}

}  // namespace leafwright
