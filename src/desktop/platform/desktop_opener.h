#pragma once

#include <QString>
#include <QUrl>
#include <vector>

#include "desktop/platform/active_seam.h"

namespace leafwright {

// Opens a local file with the desktop's default program for its type. A file
// that does not exist is not handed to the desktop at all. Returns false when
// the file is missing or the desktop cannot open it. Never waits for the
// program it starts.
bool openFileWithDefaultProgram(const QString& path);

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
