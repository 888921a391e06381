#pragma once

#include "desktop/widgets/dialog_units.h"

class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace leafwright {

// Places the controls of a settings window. Positions are given in dialog
// units from the window's top left corner, whatever group a control sits
// in, as the window's layout is drawn; the sizes of the kinds of control
// (a label's height, a button's size) are the same in every such window.
class DialogLayout {
  public:
    // Measures the units in the window's font, which must be set already.
    explicit DialogLayout(QDialog* window);

    // Makes the window this many units wide and high, for good.
    void fixSize(int width, int height) const;
    void place(QWidget* widget, int left, int top, int width, int height) const;

    QLabel* label(QWidget* parent, const char* text, int left, int top, int width) const;
    QGroupBox* group(QWidget* parent, const char* title, int left, int top, int width,
                     int height) const;
    QCheckBox* checkBox(QWidget* parent, const char* text, int left, int top, int width) const;
    QLineEdit* textField(QWidget* parent, int left, int top, int width) const;
    // A button that Enter does not press unless it is made the default.
    QPushButton* button(QWidget* parent, const char* text, int left, int top,
                        int width = kButtonWidth) const;

    static constexpr int kButtonWidth = 50;
    static constexpr int kButtonHeight = 14;
    // The height of a text field, a drop-down list or a spin box.
    static constexpr int kFieldHeight = 12;

  private:
    QDialog* window_;
    DialogUnits units_;
};

}  // namespace leafwright
