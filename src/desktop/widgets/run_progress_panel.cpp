#include "desktop/widgets/run_progress_panel.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace leafwright {

namespace {
// The bar counts in steps this fine, so that one file of a few shows its
// bytes moving.
constexpr int kStepsPerFile = 1000;
}  // namespace

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

void RunProgressPanel::showProgress(int filesDone, int fileCount, double fileShare) {
    const int count = std::max(fileCount, 1);
    bar_->setRange(0, count * kStepsPerFile);
    const int within = static_cast<int>(std::clamp(fileShare, 0.0, 1.0) * (kStepsPerFile - 1));
    bar_->setValue(std::min(filesDone, count) * kStepsPerFile + within);
    bar_->setFormat(QStringLiteral("%1 of %2 files").arg(filesDone).arg(fileCount));
}

}  // namespace leafwright
