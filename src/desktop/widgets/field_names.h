#pragma once

class QWidget;

namespace leafwright {

// Gives every text field and drop-down list inside `window` that has no
// accessible name of its own the text of the label standing just left of it
// on its row, and makes that label its buddy. Without this a screen reader
// names an unlabelled field by the group around it, so that fields of one
// group all sound alike.
void nameFieldsByTheirLabels(QWidget* window);

}  // namespace leafwright
