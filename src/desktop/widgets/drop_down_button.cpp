#include "desktop/widgets/drop_down_button.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionToolButton>

namespace leafwright {

DropDownButton::DropDownButton(QWidget* parent) : QToolButton(parent) {
    setPopupMode(QToolButton::MenuButtonPopup);
}

QRect DropDownButton::arrowRect() const {
    QStyleOptionToolButton option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButtonMenu, this);
}

void DropDownButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && arrowRect().contains(event->position().toPoint())) {
        event->accept();
        emit dropDownRequested();
        return;
    }
    QToolButton::mousePressEvent(event);
}

}  // namespace leafwright
