#include "desktop/platform/desktop_opener.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

#include "core/settings/messages.h"
#include "desktop/platform/message_box.h"

namespace leafwright {

namespace {

// Waits for the launcher's verdict without blocking: a failure reported
// within the verdict time is passed on once; after it, the launcher is left
// to run for as long as it likes.
class LauncherWatch {
  public:
    LauncherWatch(QObject* context, std::function<void()> onFailure)
        : context_(context), hasContext_(context != nullptr), onFailure_(std::move(onFailure)) {}

    void give(bool failed) {
        if (!pending_) return;
        pending_ = false;
        if (failed && onFailure_ && (!hasContext_ || context_)) onFailure_();
    }

  private:
    QPointer<QObject> context_;
    bool hasContext_;
    std::function<void()> onFailure_;
    bool pending_ = true;
};

bool startLauncher(const QString& file, QObject* context, std::function<void()> onFailure) {
    QString program = QStandardPaths::findExecutable(QStringLiteral("gio"));
    QStringList arguments{QStringLiteral("open"), file};
    if (program.isEmpty()) {
        program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        arguments.removeFirst();
    }
    if (program.isEmpty()) return false;

    // Owned by the application, not by the window: a QProcess that is
    // destroyed kills its process, and closing a window must not do that.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);

    auto watch = std::make_shared<LauncherWatch>(context, std::move(onFailure));
    QObject::connect(process, &QProcess::finished, process,
                     [process, watch](int exitCode, QProcess::ExitStatus status) {
                         watch->give(status != QProcess::NormalExit || exitCode != 0);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, watch](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         watch->give(true);
                         process->deleteLater();
                     });
    QTimer::singleShot(kLauncherVerdictMilliseconds, process, [watch] { watch->give(false); });
    // Quitting would destroy it with the application: let it go instead.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, process,
                     [process] { process->setParent(nullptr); });
    process->start();
    return true;
}

}  // namespace

bool openFileWithDefaultProgram(const QString& path, QObject* context,
                                std::function<void()> onFailure) {
    // The desktop's opener may report success for a file that is gone and
    // fail later in a window of its own; ask only about files that exist.
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists()) return false;
    if (DesktopOpenerSeam* seam = DesktopOpenerSeam::active())
        return seam->open(QUrl::fromLocalFile(file.absoluteFilePath()));
    return startLauncher(file.absoluteFilePath(), context, std::move(onFailure));
}

void openFileForUser(QWidget* owner, const QString& path) {
    const auto cannotOpen = [owner, path] { showMessageAbout(owner, kFileCannotBeOpened, path); };
    if (!openFileWithDefaultProgram(path, owner, cannotOpen)) cannotOpen();
}

bool openWebAddress(const QString& address) {
    const QUrl url(address);
    if (!url.isValid()) return false;
    if (DesktopOpenerSeam* seam = DesktopOpenerSeam::active()) return seam->open(url);
    // The desktop starts the browser on its own; openUrl does not wait for it.
    return QDesktopServices::openUrl(url);
}

bool DesktopOpenerSeam::open(const QUrl& url) {
    requests_.push_back(url);
    return result_;
}

}  // namespace leafwright
