#pragma once

#include <QWidget>

class QProgressBar;
class QPushButton;

namespace leafwright {

// The strip a window shows while a run over its list lasts: how far the run
// is (files done of all, the file at hand counted by its bytes) and the
// button that cancels it. Hidden until the run has lasted a while.
class RunProgressPanel : public QWidget {
    Q_OBJECT

  public:
    explicit RunProgressPanel(QWidget* parent = nullptr);

    // Shows `filesDone` of `fileCount` files, the next one `fileShare` (0 to
    // 1) done.
    void showProgress(int filesDone, int fileCount, double fileShare);

    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

  signals:
    void cancelRequested();

  private:
    QProgressBar* bar_;
    QPushButton* cancel_;
};

}  // namespace leafwright
