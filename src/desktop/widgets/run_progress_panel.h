#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class QProgressBar;
class QPushButton;

namespace leafwright {

// The strip a window shows while a run over its list lasts: how far the run
// is (files done of all, and bytes of the sources done of all, which the bar
// follows) and the button that cancels it. Hidden until the run has lasted
// a while.
class RunProgressPanel : public QWidget {
    Q_OBJECT

  public:
    explicit RunProgressPanel(QWidget* parent = nullptr);

    // Shows "2 of 4 files, 12.5 of 40 MB"; the bar follows the bytes, or the
    // files when the sources are empty.
    void showProgress(int filesDone, int fileCount, std::uint64_t bytesDone,
                      std::uint64_t bytesTotal);

    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

  signals:
    void cancelRequested();

  private:
    QProgressBar* bar_;
    QPushButton* cancel_;
};

// "12.5 of 40 MB": both sizes in the unit of the larger (bytes, kB, MB or
// GB, counted in thousands), with at most one decimal.
QString bytesOfText(std::uint64_t done, std::uint64_t total);

}  // namespace leafwright
