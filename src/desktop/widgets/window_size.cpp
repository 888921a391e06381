#include "desktop/widgets/window_size.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

#include "desktop/platform/window_memory.h"

namespace leafwright {

namespace {

// What the window manager's frame is likely to take, as long as the window
// has not been shown and its real frame is unknown: a title bar and thin
// borders.
QSize likelyFrame(const QWidget& window) {
    const int border = 2 * std::max(1, window.style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return {2 * border, title + 2 * border};
}

}  // namespace

QSize fittedSize(QSize wanted, QSize available, QSize minimum) {
    return wanted.boundedTo(available).expandedTo(minimum);
}

void restoreWindowSize(QWidget& window, const QString& name, QSize designed) {
    const QSize wanted = WindowMemory::windowSize(name, designed);
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        window.resize(wanted);
        return;
    }
    const QSize available = screen->availableGeometry().size() - likelyFrame(window);
    window.resize(
        fittedSize(wanted, available, window.minimumSizeHint().expandedTo(window.minimumSize())));
}

void keepWindowSize(const QWidget& window, const QString& name) {
    const bool enlarged = window.isMaximized() || window.isFullScreen();
    WindowMemory::keepWindowSize(name, enlarged ? window.normalGeometry().size() : window.size());
}

}  // namespace leafwright
