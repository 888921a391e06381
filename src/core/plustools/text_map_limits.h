#pragma once

#include <cstddef>

namespace leafwright {

// How many fonts' text maps one document may make Unspool keep, and their
// entries together (some 25 bytes each): enough for a document with a font
// for every script, and at most some 20 MB whatever a hostile file holds.
inline constexpr std::size_t kMaxTextMaps = 64;
inline constexpr std::size_t kMaxTextMapEntries = 400000;

}  // namespace leafwright
