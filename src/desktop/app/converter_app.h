#pragma once

#include <QApplication>
#include <QStringList>

namespace leafwright {

// The application: runs the main window modally and ends when it closes.
class ConverterApp : public QApplication {
    Q_OBJECT

  public:
    ConverterApp(int& argc, char** argv);

    // Shows the main window, with `files` in the source list, until "Exit",
    // Escape or the close box ends it. Returns the program's exit status.
    int initInstance(const QStringList& files = {});
};

}  // namespace leafwright
