// The two file lists of the main window: Add Files, Remove, Clear list,
// opening a listed file by double click, and printing the PDFs written.
#include <QMenu>
#include <QProcess>
#include <QTest>

#include "core/settings/messages.h"
#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/widgets/file_list.h"

using namespace leafwright;
using namespace leafwright::testing;

class FileListsTest : public QObject {
    Q_OBJECT

  private:
    void select(FileList* list, std::initializer_list<int> rows) {
        list->clearSelection();
        for (int row : rows) list->item(row)->setSelected(true);
    }
    QPoint centreOf(FileList* list, int row) {
        return list->visualItemRect(list->item(row)).center();
    }

  private slots:
    void everyPickedFileBecomesASortedRow() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        seams.files.nextFileNames({"/docs/m.txt", "/docs/b.txt"});
        seams.files.nextFileNames({"/docs/a.txt", "/docs/z.txt", "/docs/b.txt"});
        dialog.sendCommand(kCmdAddFiles);
        dialog.sendCommand(kCmdToolbarAddFiles);
        // One ascending order across both runs; a path added twice is listed twice.
        QCOMPARE(dialog.sourceList()->rowTexts(),
                 QStringList(
                     {"/docs/a.txt", "/docs/b.txt", "/docs/b.txt", "/docs/m.txt", "/docs/z.txt"}));
        QCOMPARE(dialog.resultList()->rowCount(), 0);
        QCOMPARE(seams.files.requests().front().form, FileDialogSeam::Form::OpenSeveral);
        QCOMPARE(seams.files.requests().front().filterText,
                 QStringLiteral("Text file(*.txt)|*.txt;|All files (*)|*|"));
        QVERIFY(seams.messages.shown().empty());
    }

    // Far more names than any fixed name buffer holds: all of them arrive.
    void aVeryLongPickIsAddedWhole() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        QStringList picked;
        const QString folder = "/" + QString(120, 'f') + "/";
        for (int i = 0; i < 300; ++i) picked << folder + QString::number(1000 + i) + ".txt";
        seams.files.nextFileNames(picked);
        dialog.sendCommand(kCmdAddFiles);
        QCOMPARE(dialog.sourceList()->rowCount(), 300);
        QCOMPARE(dialog.sourceList()->rowText(0), folder + "1000.txt");
        QCOMPARE(dialog.sourceList()->rowText(299), folder + "1299.txt");
    }

    void cancelledPickChangesNothing() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.sourceList()->appendRow("/docs/a.txt");
        seams.files.nextCancel();
        dialog.sendCommand(kCmdAddFiles);
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList({"/docs/a.txt"}));
        QVERIFY(seams.messages.shown().empty());
    }

    void rowsSortIgnoringCaseFirst() {
        QVERIFY(pathTextLess("/a/Beta.txt", "/a/alpha2.txt") == false);
        QVERIFY(pathTextLess("/a/alpha.txt", "/a/Beta.txt"));
        QVERIFY(pathTextLess("/a/B.txt", "/a/b.txt"));
        QVERIFY(!pathTextLess("/a/b.txt", "/a/b.txt"));
        FileList list(FileList::Order::Ascending, QIcon());
        for (const char* path : {"/x/c.txt", "/X/b.txt", "/x/A.txt"}) list.insertRow(0, path);
        QCOMPARE(list.rowTexts(), QStringList({"/x/A.txt", "/X/b.txt", "/x/c.txt"}));
        FileList unsorted(FileList::Order::AsInserted, QIcon());
        for (const char* path : {"/x/c.txt", "/x/a.txt"}) unsorted.appendRow(path);
        QCOMPARE(unsorted.rowTexts(), QStringList({"/x/c.txt", "/x/a.txt"}));
    }

    void removeWithNothingSelectedShowsMessageOne() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.sourceList()->appendRow("/in/a.txt");
        dialog.resultList()->appendRow("/out/a.pdf");
        dialog.sendCommand(kCmdToolbarRemove);
        QCOMPARE(seams.messages.shown(), std::vector<int>({kNoItemsSelected}));
        QCOMPARE(dialog.sourceList()->rowCount(), 1);
        QCOMPARE(dialog.resultList()->rowCount(), 1);
    }

    void removeTakesSelectedRowsOfBothListsAndKeepsTheOthersInOrder() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        for (const char* path : {"/in/a.txt", "/in/b.txt", "/in/c.txt", "/in/d.txt", "/in/e.txt"})
            dialog.sourceList()->appendRow(path);
        for (const char* path : {"/out/a.pdf", "/out/b.pdf", "/out/c.pdf"})
            dialog.resultList()->appendRow(path);
        select(dialog.sourceList(), {0, 2, 4});
        select(dialog.resultList(), {1});
        QVERIFY(dialog.sendCommand(kCmdRemoveFiles));
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList({"/in/b.txt", "/in/d.txt"}));
        QCOMPARE(dialog.resultList()->rowTexts(), QStringList({"/out/a.pdf", "/out/c.pdf"}));
        QVERIFY(seams.messages.shown().empty());
    }

    void removeWithASelectionInTheResultListOnly() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.sourceList()->appendRow("/in/a.txt");
        dialog.resultList()->appendRow("/out/a.pdf");
        dialog.resultList()->appendRow("/out/b.pdf");
        select(dialog.resultList(), {0, 1});
        dialog.sendCommand(kCmdHiddenRemoveFiles);
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList({"/in/a.txt"}));
        QCOMPARE(dialog.resultList()->rowCount(), 0);
        QVERIFY(seams.messages.shown().empty());
    }

    void removeNeverTouchesTheFiles() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        const QString path = writeFile(dir.filePath("keep.txt"));
        dialog.sourceList()->appendRow(path);
        select(dialog.sourceList(), {0});
        dialog.sendCommand(kCmdRemoveFiles);
        QCOMPARE(dialog.sourceList()->rowCount(), 0);
        QVERIFY(QFile::exists(path));
    }

    void clearEmptiesBothListsSilently() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.sourceList()->appendRow("/in/a.txt");
        dialog.resultList()->appendRow("/out/a.pdf");
        dialog.sendCommand(kCmdClearList);
        QCOMPARE(dialog.sourceList()->rowCount(), 0);
        QCOMPARE(dialog.resultList()->rowCount(), 0);
        dialog.sendCommand(kCmdToolbarClearList);
        QVERIFY(seams.messages.shown().empty());
    }

    // A shift double click on the third row selects the first three; the
    // lowest selected row is the one opened.
    void doubleClickOpensTheLowestSelectedRow() {
        QTemporaryDir dir;
        PlatformSeams seams;
        RecordingMainDialog dialog(foldersIn(dir));
        QStringList paths;
        for (const char* name : {"a.pdf", "b.pdf", "c.pdf", "d.pdf"})
            paths << writeFile(dir.filePath(name));
        for (const QString& path : paths) dialog.resultList()->appendRow(path);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        FileList* list = dialog.resultList();
        list->setCurrentRow(1);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, centreOf(list, 3));
        QCOMPARE(list->firstSelectedRow(), 1);
        QVERIFY(list->item(3)->isSelected());
        QVERIFY(dialog.reached.contains("OnDblclkResultList"));
        QCOMPARE(seams.opener.requests().size(), size_t(1));
        QCOMPARE(seams.opener.requests().front(), QUrl::fromLocalFile(paths[1]));
        QVERIFY(seams.messages.shown().empty());
    }

    void doubleClickWithNothingSelectedDoesNothing() {
        QTemporaryDir dir;
        PlatformSeams seams;
        RecordingMainDialog dialog(foldersIn(dir));
        dialog.sourceList()->appendRow(writeFile(dir.filePath("a.txt")));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        FileList* list = dialog.sourceList();
        const QPoint below =
            centreOf(list, 0) + QPoint(0, 5 * list->visualItemRect(list->item(0)).height());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, below);
        QVERIFY(dialog.reached.contains("OnDblclkSourceList"));
        QVERIFY(seams.opener.requests().empty());
        QVERIFY(seams.messages.shown().empty());
    }

    void aDeletedFileShowsMessageTwoAndKeepsItsRow() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        const QString path = writeFile(dir.filePath("gone.txt"));
        dialog.sourceList()->appendRow(path);
        QFile::remove(path);
        select(dialog.sourceList(), {0});
        emit dialog.sourceList()->listDoubleClicked();
        QCOMPARE(seams.messages.shown(), std::vector<int>({kFileCannotBeOpened}));
        QCOMPARE(seams.messages.details(), std::vector<QString>{path});
        // The desktop is not asked about a file that is not there.
        QVERIFY(seams.opener.requests().empty());
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList({path}));
    }

    void aFileTheDesktopCannotOpenShowsMessageTwo() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        const QString path = writeFile(dir.filePath("odd.pdf"));
        dialog.resultList()->appendRow(path);
        select(dialog.resultList(), {0});
        seams.opener.setResult(false);
        emit dialog.resultList()->listDoubleClicked();
        QCOMPARE(seams.opener.requests().size(), size_t(1));
        QCOMPARE(seams.messages.shown(), std::vector<int>({kFileCannotBeOpened}));
        QCOMPARE(dialog.resultList()->rowCount(), 1);
    }

    // Print hands each selected PDF to lp, with the printer, copies, pages
    // and sides chosen in the print dialog; a fake lp on PATH writes down
    // what it got, and refuses one file in lp's manner.
    void printHandsTheSelectedPdfsToLp() {
        QTemporaryDir dir;
        QTemporaryDir bin;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        writeProgram(bin.filePath("lp"),
                     "for last; do :; done\n"
                     "echo \"$*\" >> \"$0.log\"\n"
                     "case $last in *refused.pdf) echo 'lp: Error - out of paper' >&2; exit 1;; "
                     "esac\n");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        const QString a = writeFile(dir.filePath("a.pdf")), b = writeFile(dir.filePath("b.pdf")),
                      c = writeFile(dir.filePath("c.pdf"));
        for (const QString& pdf : {a, b, c}) dialog.resultList()->appendRow(pdf);
        auto lpDone = [] { return qApp->findChildren<QProcess*>().isEmpty(); };

        // Nothing selected: message 1, and no dialog.
        dialog.sendCommand(kCmdPrint);
        QCOMPARE(seams.messages.shown(), std::vector<int>{kNoItemsSelected});
        QCOMPARE(seams.printing.asked(), 0);

        select(dialog.resultList(), {0, 2});
        seams.printing.nextChoice(
            {"Office", 2, "1-3,5", PrintChoice::Sides::LongEdge, {"page-set=odd"}});
        dialog.resultListMenu()->actions().first()->trigger();
        QTRY_VERIFY(lpDone());
        QStringList got = QString::fromLocal8Bit(readAll(bin.filePath("lp.log"))).split('\n');
        got.removeAll(QString());
        got.sort();
        const QString chosen =
            "-d Office -n 2 -P 1-3,5 -o sides=two-sided-long-edge -o page-set=odd ";
        QCOMPARE(got, QStringList({chosen + a, chosen + c}));
        QVERIFY(seams.notices.shown().empty());

        const QString refused = writeFile(dir.filePath("refused.pdf"));
        dialog.resultList()->appendRow(refused);
        select(dialog.resultList(), {3});
        seams.printing.nextChoice({"Office", 1, "", PrintChoice::Sides::OneSided, {}});
        dialog.sendCommand(kCmdPrint);
        QTRY_COMPARE(seams.notices.shown(),
                     std::vector<QString>{"The file \"" + refused +
                                          "\" could not be printed: lp: Error - out of paper"});
        QVERIFY(readAll(bin.filePath("lp.log"))
                    .contains("-d Office -n 1 -o sides=one-sided " + refused.toLocal8Bit() + "\n"));
        QTRY_VERIFY(lpDone());
        qputenv("PATH", path);
    }

    void printWithoutAPrinterOrWithoutLpSaysSo() {
        QTemporaryDir dir;
        QTemporaryDir emptyBin;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.resultList()->appendRow(writeFile(dir.filePath("a.pdf")));
        select(dialog.resultList(), {0});
        seams.printing.setNoPrinter(true);
        dialog.sendCommand(kCmdPrint);
        QCOMPARE(seams.notices.shown(), std::vector<QString>{"No printer is set up"});

        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", emptyBin.path().toLocal8Bit());
        seams.printing.setNoPrinter(false);
        seams.printing.nextChoice({"Office", 1, "", PrintChoice::Sides::OneSided, {}});
        dialog.sendCommand(kCmdPrint);
        QCOMPARE(seams.notices.shown().size(), std::size_t(2));
        QCOMPARE(seams.notices.shown().back(), QStringLiteral("No printer is set up"));
        // A cancelled dialog prints nothing and says nothing.
        dialog.sendCommand(kCmdPrint);
        QCOMPARE(seams.printing.asked(), 3);
        QCOMPARE(seams.notices.shown().size(), std::size_t(2));
        qputenv("PATH", path);
    }
};

QTEST_MAIN(FileListsTest)
#include "file_lists_test.moc"
