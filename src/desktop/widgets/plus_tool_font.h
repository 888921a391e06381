#pragma once

#include <QFont>

namespace leafwright {

// The font of the plus-tool windows: Arial at 10 points, or the nearest
// sans-serif face the system has. Their control positions are measured in
// dialog units of this font.
QFont plusToolFont();

}  // namespace leafwright
