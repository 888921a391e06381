// The Convert Files command: the source list's rows become PDF files listed
// in the result list, with the overwrite question and file errors answered
// through the seams.
#include <QTest>

#include "core/settings/messages.h"
#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/widgets/file_list.h"

using namespace leafwright;
using namespace leafwright::testing;

namespace {}  // namespace

class ConvertCommandTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void anEmptySourceListIsReported() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        dialog.sendCommand(kCmdToolbarConvert);
        QCOMPARE(seams.messages.shown(), std::vector<int>{kTextListEmpty});
        QCOMPARE(dialog.resultList()->rowCount(), 0);
    }

    void everyRowIsConvertedAndMovedToTheResults() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        QDir(dir_->path()).mkdir("out");
        QDir(dir_->path()).mkdir("a");
        QDir(dir_->path()).mkdir("x");
        // Sorted by source, the outputs would come out z before a; the result
        // list shows them in its own ascending order.
        dialog.sourceList()->appendRow(writeFile(path("a/z.txt")));
        dialog.sourceList()->appendRow(writeFile(path("x/a.txt")));
        dialog.settings().outputFolder = path("out").toStdString();

        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(dialog.sourceList()->rowCount(), 0);
        QCOMPARE(dialog.resultList()->rowTexts(),
                 QStringList({path("out/a.pdf"), path("out/z.pdf")}));
        QVERIFY(readAll(path("out/a.pdf")).startsWith("%PDF-1.3"));
        QVERIFY(seams.messages.shown().empty());
    }

    void answeringNoEverywhereDropsTheRowsAndConvertsNothing() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        for (const char* name : {"a", "b"}) {
            dialog.sourceList()->appendRow(writeFile(path(name + QString(".txt"))));
            writeFile(path(name + QString(".pdf")), "kept");
        }
        seams.messages.answerNext(QMessageBox::No);
        seams.messages.answerNext(QMessageBox::No);
        dialog.sendCommand(kCmdToolbarConvert);
        QCOMPARE(seams.messages.shown(),
                 std::vector<int>({kOverwriteQuestion, kOverwriteQuestion}));
        QCOMPARE(dialog.sourceList()->rowCount(), 0);
        QCOMPARE(dialog.resultList()->rowCount(), 0);
        QCOMPARE(readAll(path("a.pdf")), QByteArray("kept"));
        QCOMPARE(readAll(path("b.pdf")), QByteArray("kept"));
    }

    // The second row finds the first one's output and asks about it.
    void theSamePathTwiceConvertsOnceAndAsksOnce() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        const QString source = writeFile(path("same.txt"));
        dialog.sourceList()->appendRow(source);
        dialog.sourceList()->appendRow(source);
        seams.messages.answerNext(QMessageBox::No);
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(seams.messages.shown(), std::vector<int>{kOverwriteQuestion});
        QCOMPARE(dialog.sourceList()->rowCount(), 0);
        QCOMPARE(dialog.resultList()->rowTexts(), QStringList{path("same.pdf")});

        // Yes replaces the file and lists it once more.
        seams.messages.clear();
        dialog.sourceList()->appendRow(source);
        seams.messages.answerNext(QMessageBox::Yes);
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(seams.messages.shown(), std::vector<int>{kOverwriteQuestion});
        QCOMPARE(dialog.resultList()->rowTexts(),
                 QStringList({path("same.pdf"), path("same.pdf")}));
    }

    // A source that cannot be read fails alone: the others are converted,
    // its row stays for the next run, and the notice after the run names it
    // with the cause.
    void aVanishedSourceFailsAloneAndKeepsItsRow() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            dialog.sourceList()->appendRow(writeFile(path(name)));
        QVERIFY(QFile::remove(path("b.txt")));

        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(dialog.resultList()->rowTexts(), QStringList({path("a.pdf"), path("c.pdf")}));
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList{path("b.txt")});
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        const QString notice = seams.notices.shown().front();
        QVERIFY2(notice.startsWith("2 converted, 0 skipped, 1 failed\n\n"), qPrintable(notice));
        QVERIFY2(notice.contains('"' + path("b.txt") + '"'), qPrintable(notice));
        QVERIFY(!QFile::exists(path("b.pdf")));
        QVERIFY(seams.messages.shown().empty());

        // The next run tries it again.
        seams.notices.clear();
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QCOMPARE(dialog.sourceList()->rowCount(), 1);
        QCOMPARE(dialog.resultList()->rowCount(), 2);
    }

    // Files converted at once each lay out with their own settings; the
    // self-adapting layout leaves the page size of the last file in the
    // window's settings, as converting that file alone does.
    void theSelfAdaptingPageSizeOfTheLastFileStaysInTheSettings() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        dialog.settings().chosen.selfAdaptation = 1;
        const ConversionSettings before = dialog.settings();
        QByteArray longer;
        for (int line = 0; line < 40; ++line) longer += "a longer line of the last file\n";
        dialog.sourceList()->appendRow(writeFile(path("a.txt"), "one short line\n"));
        dialog.sourceList()->appendRow(writeFile(path("b.txt"), longer));
        dialog.sourceList()->appendRow(writeFile(path("c.txt"), "x\ny\n"));
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(dialog.resultList()->rowCount(), 3);

        MainDialog alone(foldersIn(*dir_));
        alone.settings() = before;
        QVERIFY(QDir(dir_->path()).mkdir("only"));
        alone.sourceList()->appendRow(writeFile(path("only/c.txt"), "x\ny\n"));
        alone.sendCommand(kCmdConvertFiles);
        QCOMPARE(alone.resultList()->rowCount(), 1);
        QCOMPARE(dialog.settings().pageHeight, alone.settings().pageHeight);
        QCOMPARE(dialog.settings().pageWidth, alone.settings().pageWidth);
        QVERIFY(dialog.settings().pageHeight != before.pageHeight);
    }

  private:
    QString path(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(ConvertCommandTest)
#include "convert_command_test.moc"
