#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace leafwright {

// Draws the picture `name` (an SVG compiled into the program) at the size
// given. An unknown name gives a transparent picture.
QPixmap picture(const QString& name, QSize size);

// The picture `name` as an icon drawn from its SVG at whatever size and
// device pixel ratio it is shown, so that it stays sharp on any screen.
QIcon pictureIcon(const QString& name);

// The window icon: a yellow sheet of paper held by a paper clip, drawn at
// whatever size the desktop asks for.
QIcon programIcon();

}  // namespace leafwright
