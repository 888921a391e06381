#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace leafwright {

// A Type 2 charstring (of a CFF font program) whose advance width is the
// given one, in the program's units: the width stands, when it is not the
// private dictionary's defaultWidth, as an extra first operand counted from
// nominalWidth, before the first operator that clears the stack, which may
// stand in a subroutine the charstring calls first (subroutine gives the
// local or global one of a number, bias already taken off). Nothing when
// the width stands inside a subroutine, or the start is malformed.
using Subroutine = std::function<std::optional<std::string_view>(bool global, long number)>;
std::optional<std::string> withCharStringWidth(std::string_view charString, long width,
                                               long nominalWidth, long defaultWidth,
                                               const Subroutine& subroutine);

}  // namespace leafwright
