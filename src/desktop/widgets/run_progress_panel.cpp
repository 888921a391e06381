#include "desktop/widgets/run_progress_panel.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace leafwright {

namespace {

// The bar's range: fine enough that a single large file shows its bytes
// moving.
constexpr int kBarSteps = 100000;

QString decimal(double value) {
    QString text = QString::number(value, 'f', 1);
    if (text.endsWith(QStringLiteral(".0"))) text.chop(2);
    return text;
}

}  // namespace

QString bytesOfText(std::uint64_t done, std::uint64_t total) {
    static const char* const kUnits[] = {"bytes", "kB", "MB", "GB"};
    int unit = 0;
    double scale = 1;
    while (unit < 3 && static_cast<double>(total) >= scale * 1000) {
        scale *= 1000;
        ++unit;
    }
    if (unit == 0) return QStringLiteral("%1 of %2 bytes").arg(done).arg(total);
    return QStringLiteral("%1 of %2 %3")
        .arg(decimal(static_cast<double>(done) / scale),
             decimal(static_cast<double>(total) / scale), QString::fromLatin1(kUnits[unit]));
}

RunProgressPanel::RunProgressPanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("runProgress"));
    bar_->setAccessibleName(QStringLiteral("Run progress"));
    bar_->setTextVisible(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelRun"));
    cancel_->setAccessibleName(QStringLiteral("Cancel the run"));
    cancel_->setAutoDefault(false);
    layout->addWidget(bar_, 1);
    layout->addWidget(cancel_);
    // The window around is busy; the panel is where the user can still act.
    setCursor(Qt::ArrowCursor);
    connect(cancel_, &QPushButton::clicked, this, &RunProgressPanel::cancelRequested);
    hide();
}

void RunProgressPanel::showProgress(int filesDone, int fileCount, std::uint64_t bytesDone,
                                    std::uint64_t bytesTotal) {
    double share = 0;
    if (bytesTotal > 0)
        share =
            static_cast<double>(std::min(bytesDone, bytesTotal)) / static_cast<double>(bytesTotal);
    else if (fileCount > 0)
        share = static_cast<double>(std::clamp(filesDone, 0, fileCount)) / fileCount;
    bar_->setRange(0, kBarSteps);
    bar_->setValue(static_cast<int>(share * kBarSteps));
    bar_->setFormat(QStringLiteral("%1 of %2 files, %3")
                        .arg(filesDone)
                        .arg(fileCount)
                        .arg(bytesOfText(bytesDone, bytesTotal)));
}

}  // namespace leafwright
