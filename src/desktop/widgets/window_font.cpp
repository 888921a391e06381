#include "desktop/widgets/window_font.h"

#include <QWidget>

namespace leafwright {

void inheritWindowFont(QWidget* popup) {
    // Later changes of the owner's font reach the popup too.
    popup->setAttribute(Qt::WA_WindowPropagation);
    if (const QWidget* owner = popup->parentWidget()) {
        popup->setFont(owner->font());
        popup->setPalette(owner->palette());
    }
}

}  // namespace leafwright
