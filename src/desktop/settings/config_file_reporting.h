#pragma once

#include <QString>
#include <optional>

#include "core/settings/conversion_settings.h"

class QWidget;

namespace leafwright {

// Reads a configuration file for a window. A file that cannot be read, or a
// line that gives a setting a value it does not take, is reported in a
// message box naming the file (and the line and the values taken), and
// nothing is returned. Lines of settings this program does not know are
// ignored and named in one notice; the values are returned all the same.
std::optional<ChosenValues> readConfigFileReporting(QWidget* owner, const QString& path);

}  // namespace leafwright
