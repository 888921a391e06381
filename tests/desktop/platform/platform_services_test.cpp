// The platform services behind the windows: filters, message styles, and the
// behaviour each seam keeps from the real service.
#include <QProcess>
#include <QTest>

#include "core/settings/messages.h"
#include "desktop/desktop_fixture.h"
#include "desktop/platform/window_memory.h"

using namespace leafwright;
using namespace leafwright::testing;

class PlatformServicesTest : public QObject {
    Q_OBJECT

  private slots:
    void filterTextsBecomeNameFilters() {
        QCOMPARE(nameFiltersFrom("Text file(*.txt)|*.txt;|"),
                 QStringList({"Text file(*.txt) (*.txt)"}));
        QCOMPARE(nameFiltersFrom("Config(*.tcf)|*.tcf|All files|*.*||"),
                 QStringList({"Config(*.tcf) (*.tcf)", "All files (*.*)"}));
        QCOMPARE(nameFiltersFrom("Pages|*.htm; *.html|"), QStringList({"Pages (*.htm *.html)"}));
        QVERIFY(nameFiltersFrom("").isEmpty());
    }

    void messagesHaveTheirButtonsAndIcons() {
        QCOMPARE(messageStyle(kNoItemsSelected).icon, QMessageBox::Information);
        QCOMPARE(messageStyle(kNoItemsSelected).buttons,
                 QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(messageStyle(kFileCannotBeOpened).icon, QMessageBox::NoIcon);
        QCOMPARE(messageStyle(kTopMarginIllegal).icon, QMessageBox::NoIcon);
        QCOMPARE(messageStyle(kTextListEmpty).icon, QMessageBox::Information);
        QCOMPARE(messageStyle(kPdfListEmpty).icon, QMessageBox::Information);
        QCOMPARE(messageStyle(kOverwriteQuestion).buttons,
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll |
                     QMessageBox::Cancel);
        QCOMPARE(messageStyle(kOverwriteQuestion).icon, QMessageBox::NoIcon);
        // The caption is the program's file name without its extension.
        QCOMPARE(messageCaption(), QStringLiteral("desktop_platform_services_test"));
    }

    void messageSeamAnswersAsScripted() {
        MessageBoxSeam seam;
        seam.answerNext(QMessageBox::Yes);
        QCOMPARE(showMessage(nullptr, kOverwriteQuestion), QMessageBox::Yes);
        QCOMPARE(showMessage(nullptr, kOverwriteQuestion), QMessageBox::No);
        QCOMPARE(showMessage(nullptr, kNoItemsSelected), QMessageBox::Ok);
        QCOMPARE(seam.shown(),
                 std::vector<int>({kOverwriteQuestion, kOverwriteQuestion, kNoItemsSelected}));
    }

    // Like the real dialog, a pick moves the current folder to the picked
    // files; a cancel leaves it.
    void pickedFilesMoveTheCurrentFolder() {
        const QString start = QDir::currentPath();
        QTemporaryDir picked;
        FileDialogSeam seam;
        seam.nextCancel();
        QVERIFY(askOpenFileNames(nullptr, "Text file(*.txt)|*.txt;|").isEmpty());
        QCOMPARE(QDir::currentPath(), start);
        seam.nextFileNames({picked.filePath("a.txt"), picked.filePath("b.txt")});
        QCOMPARE(askOpenFileNames(nullptr, "Text file(*.txt)|*.txt;|").size(), 2);
        QCOMPARE(QDir(QDir::currentPath()).canonicalPath(), QDir(picked.path()).canonicalPath());
        QVERIFY(askSaveFileName(nullptr, "x|*.tcf|").isEmpty());
        QCOMPARE(seam.requests().back().form, FileDialogSeam::Form::Save);
        QDir::setCurrent(start);
    }

    // Each kind of dialog opens where it last picked, remembered in the
    // configuration folder; never just where a command left the current one.
    void eachDialogStartsWhereItLastPicked() {
        const QString start = QDir::currentPath();
        QTemporaryDir config;
        QTemporaryDir picked;
        WindowMemory::useFolder(config.path());
        FileDialogSeam seam;
        seam.nextFileNames({picked.filePath("a.txt")});
        askOpenFileNames(nullptr, "Text file(*.txt)|*.txt;|");
        QDir::setCurrent(config.path());
        askOpenFileNames(nullptr, "Text file(*.txt)|*.txt;|");
        askOpenFileName(nullptr, "Configuration File(*.tcf)|*.tcf;|");
        QCOMPARE(seam.requests().at(0).startFolder, QDir::homePath());
        QCOMPARE(seam.requests().at(1).startFolder, picked.path());
        QCOMPARE(seam.requests().at(2).startFolder, QDir::homePath());
        QVERIFY(QFile::exists(config.filePath(WindowMemory::kFileName)));
        WindowMemory::useFolder({});
        QDir::setCurrent(start);
    }

    void folderBrowserSeamRecordsItsTitle() {
        FolderBrowserSeam seam;
        seam.nextFolder("/tmp/out");
        QCOMPARE(askFolder(nullptr, "Choose"), QStringLiteral("/tmp/out"));
        QVERIFY(askFolder(nullptr, "Again").isEmpty());
        QCOMPARE(seam.titles(), std::vector<QString>({"Choose", "Again"}));
    }

    void onlyExistingFilesReachTheDesktop() {
        QTemporaryDir dir;
        DesktopOpenerSeam seam;
        QVERIFY(!openFileWithDefaultProgram(dir.filePath("missing.pdf")));
        QVERIFY(!openFileWithDefaultProgram(QString()));
        QVERIFY(seam.requests().empty());
        const QString present = writeFile(dir.filePath("present.pdf"));
        QVERIFY(openFileWithDefaultProgram(present));
        seam.setResult(false);
        QVERIFY(!openFileWithDefaultProgram(present));
        QVERIFY(openWebAddress("http://www.leafwright.example") == false);
        QCOMPARE(seam.requests().size(), size_t(3));
        QCOMPARE(seam.requests().front(), QUrl::fromLocalFile(present));
    }

    // Without the seam the desktop's launcher is started and watched: gio
    // when present, else xdg-open. One that gives up shows message 2 (the
    // desktop itself would say nothing); one that succeeds shows none.
    // Fake launchers on PATH stand in for them, writing down what they got.
    void aLauncherThatFailsShowsMessageTwo() {
        QTemporaryDir bin;
        QTemporaryDir dir;
        const QString present = writeFile(dir.filePath("present.pdf"));
        auto launcher = [&](const QString& name, int status) {
            writeProgram(
                bin.filePath(name),
                QStringLiteral("echo \"$@\" > \"$0.args\"\nexit %1\n").arg(status).toUtf8());
        };
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        MessageBoxSeam messages;
        auto launchersDone = [] { return qApp->findChildren<QProcess*>().isEmpty(); };

        launcher("gio", 1);
        launcher("xdg-open", 0);
        openFileForUser(nullptr, present);
        QTRY_COMPARE(messages.shown(), std::vector<int>{kFileCannotBeOpened});
        QTRY_VERIFY(launchersDone());
        QCOMPARE(readAll(bin.filePath("gio.args")), "open " + present.toLocal8Bit() + "\n");

        QFile::remove(bin.filePath("gio"));
        openFileForUser(nullptr, present);
        QTRY_VERIFY(launchersDone());
        QCOMPARE(readAll(bin.filePath("xdg-open.args")), present.toLocal8Bit() + "\n");
        QCOMPARE(messages.shown().size(), std::size_t(1));

        launcher("xdg-open", 3);
        openFileForUser(nullptr, present);
        QTRY_COMPARE(messages.shown().size(), std::size_t(2));

        // With no launcher at all the answer comes at once.
        QFile::remove(bin.filePath("xdg-open"));
        openFileForUser(nullptr, present);
        QCOMPARE(messages.shown().size(), std::size_t(3));
        qputenv("PATH", path);
    }

    void modalSeamHandsOverTheBuiltDialog() {
        ModalDialogSeam seam;
        QDialog dialog;
        dialog.setWindowTitle("probe");
        QCOMPARE(runModal(dialog), int(QDialog::Rejected));
        seam.setHandler([](QDialog& shown) {
            return shown.windowTitle() == "probe" ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        QCOMPARE(runModal(dialog), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(seam.ran().size(), size_t(2));
    }
};

QTEST_MAIN(PlatformServicesTest)
#include "platform_services_test.moc"
