#include "desktop/widgets/plus_tool_font.h"

#include "desktop/widgets/dialog_units.h"

namespace leafwright {

QFont plusToolFont() {
    return dialogFont(QStringLiteral("Arial"), 10);
}

}  // namespace leafwright
