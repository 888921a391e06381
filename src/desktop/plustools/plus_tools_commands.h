#pragma once

class QWidget;

namespace leafwright {

// Opens a new Unspool window over `owner` and runs it modally; the window
// is gone when this returns. Returns the dialog's result.
int runUnspoolDialog(QWidget* owner);

// Opens a new plus-tools chooser over `owner` and runs it modally; the window
// is gone when this returns. Returns the dialog's result.
int runPlusToolsDialog(QWidget* owner);

}  // namespace leafwright
