#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace leafwright {

// Draws the picture `name` (an SVG compiled into the program) at the size
// given. An unknown name gives a transparent picture.
QPixmap picture(const QString& name, QSize size);

// The window icon: a yellow sheet of paper held by a paper clip, at 16 and
// 32 pixels.
QIcon programIcon();

}  // namespace leafwright
