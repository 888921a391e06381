#include "core/platform/new_file_mode.h"

#include <sys/xattr.h>

#include <cstdint>
#include <cstring>
#include <fstream>

namespace leafwright {

namespace {

constexpr mode_t kRequested = 0666;
constexpr mode_t kUsualUmask = 022;

// The kernel's binary form of a POSIX ACL in an extended attribute: a version
// word, then entries of tag, permissions and id, little-endian.
constexpr std::uint32_t kAclVersion = 2;
constexpr std::uint16_t kUserObj = 0x01, kGroupObj = 0x04, kMask = 0x10, kOther = 0x20;
constexpr std::size_t kAclHeader = 4, kAclEntry = 8;

std::uint32_t littleEndian(const unsigned char* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

// The mode a default ACL gives a file created with kRequested, or -1 when the
// folder has none (or it cannot be read).
long modeFromDefaultAcl(const std::string& folder) {
    unsigned char acl[4096];
    ssize_t size = ::getxattr(folder.c_str(), "system.posix_acl_default", acl, sizeof acl);
    if (size < static_cast<ssize_t>(kAclHeader) || littleEndian(acl, 4) != kAclVersion) return -1;
    long user = -1, group = -1, mask = -1, other = -1;
    for (std::size_t at = kAclHeader; at + kAclEntry <= static_cast<std::size_t>(size);
         at += kAclEntry) {
        auto tag = static_cast<std::uint16_t>(littleEndian(acl + at, 2));
        long permissions = static_cast<long>(littleEndian(acl + at + 2, 2) & 07);
        if (tag == kUserObj) user = permissions;
        if (tag == kGroupObj) group = permissions;
        if (tag == kMask) mask = permissions;
        if (tag == kOther) other = permissions;
    }
    if (user < 0 || group < 0 || other < 0) return -1;
    // With a mask, the group bits of the mode show the mask.
    long groupBits = mask >= 0 ? mask : group;
    return ((user << 6) | (groupBits << 3) | other) & kRequested;
}

}  // namespace

mode_t processUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) != 0) continue;
        try {
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8)) & 0777;
        } catch (const std::exception&) {
            break;
        }
    }
    return kUsualUmask;
}

mode_t newFileMode(const std::string& folder) {
    long fromAcl = modeFromDefaultAcl(folder);
    if (fromAcl >= 0) return static_cast<mode_t>(fromAcl);
    return kRequested & ~processUmask();
}

}  // namespace leafwright
