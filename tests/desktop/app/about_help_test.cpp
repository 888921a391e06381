// The Help command, the About box, and where the program keeps its files.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "desktop/app/about_dialog.h"
#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/platform/program_folders.h"

using namespace leafwright;
using namespace leafwright::testing;

class AboutHelpTest : public QObject {
    Q_OBJECT

  private:
    QString startFolder_;

    static QString withSlash(const QString& path) { return QDir(path).absolutePath() + "/"; }

  private slots:
    void init() { startFolder_ = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(startFolder_); }

    void helpAfterAddFilesStillOpensThePageBesideTheProgram() {
        QTemporaryDir program;
        QTemporaryDir elsewhere;
        writeFile(program.filePath("Help.htm"), "<html></html>");
        writeFile(elsewhere.filePath("Help.htm"), "<html>wrong</html>");
        PlatformSeams seams;
        MainDialog dialog(foldersIn(program));

        seams.files.nextFileNames({writeFile(elsewhere.filePath("notes.txt"))});
        dialog.sendCommand(kCmdAddFiles);
        QCOMPARE(withSlash(QDir::currentPath()), withSlash(elsewhere.path()));

        dialog.sendCommand(kCmdShowHelp);
        QCOMPARE(seams.opener.requests().size(), size_t(1));
        QCOMPARE(seams.opener.requests().front(),
                 QUrl::fromLocalFile(program.filePath("Help.htm")));
        // The working-folder rule leaves the program's folder current.
        QCOMPARE(withSlash(QDir::currentPath()), withSlash(program.path()));
        QVERIFY(seams.messages.shown().empty());
    }

    void helpWithoutItsPageShowsNoMessage() {
        QTemporaryDir program;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(program));
        dialog.sendCommand(kCmdShowHelp);
        QVERIFY(seams.opener.requests().empty());
        QVERIFY(seams.messages.shown().empty());
    }

    // Both About commands open the box with the program's folder current;
    // its buttons open the contact page beside the program and the maker's site.
    void aboutBoxOpensFromMenuAndToolbar() {
        QTemporaryDir program;
        QTemporaryDir elsewhere;
        writeFile(program.filePath("contact.htm"), "<html></html>");
        PlatformSeams seams;
        MainDialog dialog(foldersIn(program));
        QStringList seen;
        seams.modal.setHandler([&](QDialog& box) {
            auto* about = qobject_cast<AboutDialog*>(&box);
            if (!about) return int(QDialog::Rejected);
            seen << withSlash(QDir::currentPath());
            seen << about->windowTitle() << about->thanksLabel()->text();
            about->contactUsButton()->click();
            about->visitWebButton()->click();
            about->okButton()->click();
            return about->result();
        });
        for (int command : {kCmdAbout, kCmdToolbarInfo}) {
            QDir::setCurrent(elsewhere.path());
            dialog.sendCommand(command);
        }
        const QStringList once = {withSlash(program.path()), "Infomation",
                                  "Thank you for use Leafwright!"};
        QCOMPARE(seen, once + once);
        QCOMPARE(seams.modal.ran(),
                 std::vector<QString>({"leafwright::AboutDialog", "leafwright::AboutDialog"}));
        QCOMPARE(seams.opener.requests().size(), size_t(4));
        QCOMPARE(seams.opener.requests()[0], QUrl::fromLocalFile(program.filePath("contact.htm")));
        QCOMPARE(seams.opener.requests()[1], QUrl("http://www.leafwright.example"));
    }

    void aboutBoxFirstLineIsBold() {
        PlatformSeams seams;
        AboutDialog about("/nowhere/");
        QVERIFY(about.thanksLabel()->font().bold());
        QCOMPARE(about.thanksLabel()->font().pointSize(), 10);
        QVERIFY(about.okButton()->isDefault());
        QCOMPARE(about.visitWebButton()->focusPolicy() & Qt::TabFocus, 0);
        QCOMPARE(about.minimumSize(), about.maximumSize());
    }

    void writableProgramFolderKeepsEverythingBesideTheProgram() {
        const ProgramFolders folders = chooseProgramFolders(
            "/opt/lw/bin", true, "/home/u/.config/leafwright", {"/usr/share/leafwright"});
        QCOMPARE(folders.programFolder, QStringLiteral("/opt/lw/bin/"));
        QCOMPARE(folders.pagesFolder, QStringLiteral("/opt/lw/bin/"));
    }

    void readOnlyProgramFolderMovesToTheUsersFolders() {
        QTemporaryDir root;
        const QString bin = root.filePath("bin");
        const QString config = root.filePath("config");
        const QString userData = root.filePath("user-share");
        const QString systemData = root.filePath("share");
        for (const QString& folder : {bin, userData, systemData}) QDir().mkpath(folder);
        writeFile(systemData + "/Help.htm");

        ProgramFolders folders = chooseProgramFolders(bin, false, config, {userData, systemData});
        QCOMPARE(folders.programFolder, config + "/");
        QCOMPARE(folders.pagesFolder, systemData + "/");

        // No data folder holds the pages, but the program's folder does.
        QFile::remove(systemData + "/Help.htm");
        writeFile(bin + "/Help.htm");
        folders = chooseProgramFolders(bin, false, config, {userData, systemData});
        QCOMPARE(folders.pagesFolder, bin + "/");
    }

    void programFolderOfABuildIsTheExecutablesFolder() {
        // The test program lies in a writable build folder.
        QVERIFY(folderIsWritable(QCoreApplication::applicationDirPath()));
        const ProgramFolders folders = locateProgramFolders();
        QCOMPARE(folders.programFolder, withSlash(QCoreApplication::applicationDirPath()));
        QVERIFY(!folderIsWritable(QDir::temp().filePath("leafwright-no-such-folder/inner")));
    }
};

QTEST_MAIN(AboutHelpTest)
#include "about_help_test.moc"
