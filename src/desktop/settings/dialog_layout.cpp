#include "desktop/settings/dialog_layout.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace leafwright {

DialogLayout::DialogLayout(QDialog* window) : window_(window), units_(window->font()) {}

void DialogLayout::fixSize(int width, int height) const {
    window_->setFixedSize(units_.x(width), units_.y(height));
}

void DialogLayout::place(QWidget* widget, int left, int top, int width, int height) const {
    QRect where = units_.rect(left, top, width, height);
    if (QWidget* parent = widget->parentWidget(); parent && parent != window_)
        where.translate(-parent->mapTo(window_, QPoint(0, 0)));
    widget->setGeometry(where);
}

QLabel* DialogLayout::label(QWidget* parent, const char* text, int left, int top, int width) const {
    auto* shown = new QLabel(QString::fromLatin1(text), parent);
    place(shown, left, top, width, 8);
    return shown;
}

QGroupBox* DialogLayout::group(QWidget* parent, const char* title, int left, int top, int width,
                               int height) const {
    auto* box = new QGroupBox(QString::fromLatin1(title), parent);
    place(box, left, top, width, height);
    return box;
}

QCheckBox* DialogLayout::checkBox(QWidget* parent, const char* text, int left, int top,
                                  int width) const {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    place(box, left, top, width, 10);
    return box;
}

QLineEdit* DialogLayout::textField(QWidget* parent, int left, int top, int width) const {
    auto* field = new QLineEdit(parent);
    place(field, left, top, width, kFieldHeight);
    return field;
}

QPushButton* DialogLayout::button(QWidget* parent, const char* text, int left, int top,
                                  int width) const {
    auto* pushed = new QPushButton(QString::fromLatin1(text), parent);
    pushed->setAutoDefault(false);
    place(pushed, left, top, width, kButtonHeight);
    return pushed;
}

}  // namespace leafwright
