#pragma once

#include <string>

namespace leafwright {

// The settings kept beyond the twelve lines of a configuration file, as
// typed values. Each starts at its default.
struct MoreSettings {
    std::string encoding;  // empty: UTF-8, else Windows-1252; "auto": guessed

    bool operator==(const MoreSettings&) const = default;
};

}  // namespace leafwright
