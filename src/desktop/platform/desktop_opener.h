#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <vector>

#include "core/platform/active_seam.h"

class QObject;
class QWidget;

namespace leafwright {

// How long the desktop's launcher has to report that it cannot open a file.
// One still running by then is taken to have opened it: a launcher may stay
// as long as the program it started.
inline constexpr int kLauncherVerdictMilliseconds = 5000;

// Opens a local file with the desktop's default program for its type. A file
// that does not exist is not handed to the desktop at all. Otherwise the
// launcher (`gio open`, or `xdg-open` where gio is missing) is started and
// not waited for; it belongs to the application, so closing a window (or
// quitting) never stops it. Returns false at once when the file is missing
// or no launcher can be found. `onFailure` runs later, on this thread and
// only while `context` lives, when the launcher fails to start or exits
// with a failure within kLauncherVerdictMilliseconds.
bool openFileWithDefaultProgram(const QString& path, QObject* context = nullptr,
                                std::function<void()> onFailure = {});

// Opens a file for the user of a window: message 2 ("The file is unable to
// be opened!", with the path below it) over `owner` when it cannot be,
// whether that is known at once or only when the launcher gives up.
void openFileForUser(QWidget* owner, const QString& path);

// Opens a web address in the user's default browser. Returns false when the
// desktop cannot open it.
bool openWebAddress(const QString& address);

// Test seam. While an object of this class lives, nothing is opened: each
// request that would reach the desktop is recorded and answered with the
// scripted result (true unless set otherwise).
class DesktopOpenerSeam : public ActiveSeam<DesktopOpenerSeam> {
  public:
    void setResult(bool succeeds) { result_ = succeeds; }
    const std::vector<QUrl>& requests() const { return requests_; }
    void clear() { requests_.clear(); }

    bool open(const QUrl& url);

  private:
    bool result_ = true;
    std::vector<QUrl> requests_;
};

}  // namespace leafwright
