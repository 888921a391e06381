#pragma once

#include <QSize>
#include <QString>

class QWidget;

namespace leafwright {

// The size a window opens at: `wanted` shrunk to fit `available` (the
// screen's area left by panels, less the window's frame), but never below
// `minimum`, which keeps its controls usable.
QSize fittedSize(QSize wanted, QSize available, QSize minimum);

// Gives a window, before it is shown, the size it had when it was last
// closed (or `designed` the first time), fitted to the screen it opens on.
// A remembered size is kept in logical pixels: at a larger scale factor or
// on a smaller screen it may no longer fit.
void restoreWindowSize(QWidget& window, const QString& name, QSize designed);

// Remembers the window's size as `name`: its normal size even while it is
// maximised or full screen.
void keepWindowSize(const QWidget& window, const QString& name);

}  // namespace leafwright
