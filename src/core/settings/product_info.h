#pragma once

// The program's name and maker, in one place for the window, the command line
// and the documents they write. The version is CMake's: core/version.h.
namespace leafwright::product {

inline constexpr const char* kName = "Leafwright";
inline constexpr const char* kMakerWebAddress = "http://www.leafwright.example";
inline constexpr const char* kMakerDomain = "leafwright.example";
inline constexpr const char* kMakerEmail = "support@leafwright.example";

}  // namespace leafwright::product
