#pragma once

namespace leafwright {

// The columns a character takes in monospaced text: 2 for East Asian Wide
// and Fullwidth characters, 0 for nonspacing and enclosing marks, 1 for any
// other character. From the program's own Unicode tables, so the result
// never depends on the locale (unlike the C library's wcwidth).
int columnWidth(char32_t character);

}  // namespace leafwright
