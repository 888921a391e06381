#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "core/platform/active_seam.h"

class QWidget;

namespace leafwright {

// Lets the user pick a folder of the file system under the given title.
// Returns its full path, or an empty text when the user cancels.
QString askFolder(QWidget* owner, const QString& title);

// Test seam. While an object of this class lives, askFolder opens no window:
// it records the title and returns the next scripted folder (an empty text is
// Cancel, as is a request with nothing scripted).
class FolderBrowserSeam : public ActiveSeam<FolderBrowserSeam> {
  public:
    void nextFolder(const QString& folder) { answers_.push_back(folder); }
    const std::vector<QString>& titles() const { return titles_; }

    QString answer(const QString& title);

  private:
    std::deque<QString> answers_;
    std::vector<QString> titles_;
};

}  // namespace leafwright
