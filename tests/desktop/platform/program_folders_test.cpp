// Where the program keeps its files once installed under a prefix, and that a
// portable copy keeps them beside itself.
#include "desktop/platform/program_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace leafwright;

namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class ProgramFoldersTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // Keeps the user's real configuration folder out of the test.
        QStandardPaths::setTestModeEnabled(true);
    }

    void installedLayoutNeedsBinBesideSharedPages() {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath("bin");
        QDir().mkpath(bin);
        QVERIFY(!isInstalledLayout(bin));  // no shared pages yet

        touch(prefix.filePath("share/leafwright/contact.htm"));
        QVERIFY(!isInstalledLayout(bin));  // the help page is what counts

        touch(prefix.filePath("share/leafwright/Help.htm"));
        QVERIFY(isInstalledLayout(bin));
        QVERIFY(isInstalledLayout(bin + "/"));

        // The same pages seen from a folder not named bin: a portable copy.
        const QString other = prefix.filePath("programs");
        QDir().mkpath(other);
        QVERIFY(!isInstalledLayout(other));
    }

    void writableInstalledProgramUsesTheUsersFoldersAndWritesNothingBesideIt() {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath("bin");
        const QString pages = prefix.filePath("share/leafwright");
        touch(bin + "/leafwright");
        touch(pages + "/Help.htm");
        QVERIFY(folderIsWritable(bin));  // as /usr/local/bin is for root
        const QStringList before = entriesOf(bin);

        const ProgramFolders folders = locateProgramFoldersFor(bin);

        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QCOMPARE(folders.programFolder, QDir(config).absolutePath() + "/");
        QVERIFY(QFileInfo(config).isDir());
        QCOMPARE(folders.pagesFolder, pages + "/");
        QCOMPARE(entriesOf(bin), before);
    }

    void portableProgramKeepsEverythingBesideItself() {
        QTemporaryDir copy;
        const QString bin = copy.filePath("bin");
        touch(bin + "/leafwright");
        touch(bin + "/Help.htm");  // pages beside the program, no share/

        const ProgramFolders folders = locateProgramFoldersFor(bin);
        QCOMPARE(folders.programFolder, bin + "/");
        QCOMPARE(folders.pagesFolder, bin + "/");
        QCOMPARE(entriesOf(bin), QStringList({"Help.htm", "leafwright"}));  // probe removed
    }
};

QTEST_GUILESS_MAIN(ProgramFoldersTest)
#include "program_folders_test.moc"
