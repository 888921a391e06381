#include "plustools/plus_tool_font.h"

#include <QStringList>

namespace leafwright {

QFont plusToolFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSize(10);
    return font;
}

}  // namespace leafwright
