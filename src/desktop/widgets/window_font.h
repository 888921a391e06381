#pragma once

class QWidget;

namespace leafwright {

// Makes a popup (a menu, a notice) that is a window of its own take the
// font and palette of the window it belongs to: Qt gives a separate window
// the application's font, larger than the dialog font of the windows here.
void inheritWindowFont(QWidget* popup);

}  // namespace leafwright
