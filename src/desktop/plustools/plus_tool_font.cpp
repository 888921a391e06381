#include "plustools/plus_tool_font.h"

#include "app/dialog_units.h"

namespace leafwright {

QFont plusToolFont() { return dialogFont(QStringLiteral("Arial"), 10); }

}  // namespace leafwright
