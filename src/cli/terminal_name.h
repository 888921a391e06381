#pragma once

#include <string>

namespace leafwright::cli {

// A file name as the terminal is shown it. A name holding a control byte
// (0x01-0x1F, 0x7F) could move the cursor, clear the screen or fake a line
// of its own, so it is written the way `ls --quoting-style=shell-escape`
// writes it: in single quotes, with $'...' escapes for what cannot be shown
// (in the user's locale), and a shell reads it back as the same name. Any
// other name is returned byte for byte.
std::string terminalName(const std::string& name);

}  // namespace leafwright::cli
