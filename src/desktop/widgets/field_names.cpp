#include "desktop/widgets/field_names.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <limits>

namespace leafwright {

namespace {

bool takesText(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget);
}

// The label on the field's row that ends nearest to the field's left edge,
// among the field's siblings; null when none stands there.
QLabel* labelLeftOf(const QWidget* field) {
    QLabel* nearest = nullptr;
    int nearestGap = std::numeric_limits<int>::max();
    const QRect place = field->geometry();
    for (QLabel* label : field->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        const QRect labelPlace = label->geometry();
        const int middle = labelPlace.center().y();
        const int gap = place.left() - labelPlace.right();
        const bool sameRow = middle >= place.top() && middle <= place.bottom();
        if (sameRow && gap >= -2 && gap < nearestGap) {
            nearest = label;
            nearestGap = gap;
        }
    }
    return nearest;
}

}  // namespace

void nameFieldsByTheirLabels(QWidget* window) {
    for (QWidget* field : window->findChildren<QWidget*>()) {
        if (!takesText(field) || !field->accessibleName().isEmpty()) continue;
        if (field->parentWidget() == nullptr) continue;
        QLabel* label = labelLeftOf(field);
        if (label == nullptr || label->text().isEmpty()) continue;
        field->setAccessibleName(label->text().remove(QLatin1Char('&')).trimmed());
        label->setBuddy(field);
    }
}

}  // namespace leafwright
