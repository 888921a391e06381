#include "desktop/widgets/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace leafwright {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width over the 52 Latin letters, as dialog layouts have
    // always measured it, rounded to whole pixels.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth_ = std::max(1, (letters / 26 + 1) / 2);
    baseHeight_ = std::max(1, metrics.height());
}

int DialogUnits::scale(int units, int base, int divisor) {
    return static_cast<int>(std::lround(static_cast<double>(units) * base / divisor));
}

QFont dialogFont(const QString& family, int pointSize) {
    QFont font;
    font.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Sans Serif")});
    font.setPointSize(pointSize);
    return font;
}

QFont mainDialogFont() {
    return dialogFont(QStringLiteral("MS Sans Serif"), 8);
}

}  // namespace leafwright
