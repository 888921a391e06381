#pragma once

#include <QSize>
#include <QString>

namespace leafwright {

// What the windows remember from one run of the program to the next: their
// sizes, and the folder each file dialog last showed. It is kept in a file of
// its own (INI format) in the folder of last.tcf; when that folder cannot be
// written, or before it is known, nothing is remembered.
class WindowMemory {
  public:
    // The name of the file in the configuration folder.
    static constexpr const char* kFileName = "leafwright-window.ini";

    // Sets the folder of last.tcf (ending in "/" or not).
    static void useFolder(const QString& configFolder);

    // The size `window` had when it was last closed, or `fallback`.
    static QSize windowSize(const QString& window, QSize fallback);
    static void keepWindowSize(const QString& window, QSize size);

    // The folder the file dialog for `dialog` last showed, or an empty text.
    static QString dialogFolder(const QString& dialog);
    static void keepDialogFolder(const QString& dialog, const QString& folder);

    // The position of the filter last chosen in that dialog (0 when none
    // was).
    static int dialogFilter(const QString& dialog);
    static void keepDialogFilter(const QString& dialog, int filter);
};

}  // namespace leafwright
