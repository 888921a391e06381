#pragma once

#include <QFont>
#include <QRect>

namespace leafwright {

// Converts dialog units into pixels for a dialog font: one horizontal unit is
// a quarter of the font's average character width, one vertical unit an
// eighth of its character height, so that a window keeps its proportions
// whatever font and screen it meets.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    int x(int units) const { return scale(units, baseWidth_, 4); }
    int y(int units) const { return scale(units, baseHeight_, 8); }
    QRect rect(int left, int top, int width, int height) const {
        return QRect(x(left), y(top), x(width), y(height));
    }

  private:
    // units * base / divisor, rounded to the nearest pixel.
    static int scale(int units, int base, int divisor);

    int baseWidth_ = 0;
    int baseHeight_ = 0;
};

// A dialog font: the named face at the given size, or the nearest sans-serif
// face the system has.
QFont dialogFont(const QString& family, int pointSize);

// The font of the main window: "MS Sans Serif" at 8 points.
QFont mainDialogFont();

}  // namespace leafwright
