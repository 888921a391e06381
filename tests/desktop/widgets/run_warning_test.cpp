// Files that convert with a warning (characters no installed font has, shown
// as "?") are listed together in one notice after the run.
#include <QTest>

#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/widgets/file_list.h"

using namespace leafwright;
using namespace leafwright::testing;

class RunWarningTest : public QObject {
    Q_OBJECT

  private slots:
    void filesWithWarningsAreListedInOneNoticeAfterTheRun() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        // U+0378 is unassigned: no font has it.
        dialog.sourceList()->appendRow(writeFile(dir.filePath("a.txt"), "x\u0378\u0378\n"));
        dialog.sourceList()->appendRow(writeFile(dir.filePath("b.txt"), "plain\n"));
        dialog.sourceList()->appendRow(writeFile(dir.filePath("c.txt"), "\u0378 \u20AC\n"));

        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(dialog.resultList()->rowCount(), 3);
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        const QString notice = seams.notices.shown().front();
        QVERIFY2(notice.contains(dir.filePath("a.txt") +
                                 ": 2 characters could not be printed (shown as ?)"),
                 qPrintable(notice));
        QVERIFY2(notice.contains(dir.filePath("c.txt") +
                                 ": 1 character could not be printed (shown as ?)"),
                 qPrintable(notice));
        QVERIFY2(!notice.contains(dir.filePath("b.txt")), qPrintable(notice));
    }

    // Files with lines past the right edge of the page are named together,
    // with the setting that prints them whole, in the same one notice.
    void filesWithLinesPastTheEdgeAreNamedWithTheSettingThatWrapsThem() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        const QByteArray wide(200, 'x');
        dialog.sourceList()->appendRow(writeFile(dir.filePath("a.txt"), wide + "\nshort\n"));
        dialog.sourceList()->appendRow(writeFile(dir.filePath("b.txt"), "short\n"));
        dialog.sourceList()->appendRow(
            writeFile(dir.filePath("c.txt"), wide + "\n" + wide + "\u0378\n"));

        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(dialog.resultList()->rowCount(), 3);
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        const QString notice = seams.notices.shown().front();
        QVERIFY2(notice.contains("These files have lines that run past the right edge of the "
                                 "page:\n" +
                                 dir.filePath("a.txt") + " (1 line)\n" + dir.filePath("c.txt") +
                                 " (2 lines)\n"),
                 qPrintable(notice));
        QVERIFY2(notice.contains("Settings > Options > More settings..."), qPrintable(notice));
        // The other warning of c.txt stays on its own line, without the
        // command line's words.
        QVERIFY2(notice.contains(dir.filePath("c.txt") +
                                 ": 1 character could not be printed (shown as ?)"),
                 qPrintable(notice));
        QVERIFY2(!notice.contains("--wrap"), qPrintable(notice));
        QVERIFY2(!notice.contains(dir.filePath("b.txt")), qPrintable(notice));
    }
};

QTEST_MAIN(RunWarningTest)
#include "run_warning_test.moc"
