#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace leafwright {

// How the bytes of a source file are read: UTF-8 when the whole file is
// well-formed UTF-8, otherwise the Windows-1252 code page.
enum class SourceEncoding { Utf8, Windows1252 };

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::size_t kNotUtf8 = static_cast<std::size_t>(-1);

// True when no byte has its high bit set.
bool isAscii(std::string_view bytes);

// The number of characters in well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF), or kNotUtf8.
std::size_t countUtf8Characters(std::string_view bytes);

// Appends the line as the PDF string body shows it: each character turned
// into its MacRomanEncoding byte (see mac_roman.h), then backslash, "(" and
// ")" preceded by a backslash. Malformed UTF-8 becomes "?" byte by byte.
void appendEncodedEscaped(std::string& out, std::string_view line, SourceEncoding encoding);

// Number of bytes of the line that escaping doubles: backslash, "(" and ")".
std::size_t countEscapedBytes(std::string_view line);

// Decodes a text that holds UTF-8 when it is well-formed UTF-8, otherwise
// Windows-1252 (undefined bytes as "?"), into UTF-32.
std::u32string decodeText(std::string_view text);

}  // namespace leafwright
