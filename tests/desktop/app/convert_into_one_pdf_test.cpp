// File > Convert into One PDF...: the source list becomes one PDF named in
// the save dialog, listed once in the result list; a file that fails leaves
// every row, and the old PDF, as they were.
#include <QFileInfo>
#include <QTest>

#include "core/settings/messages.h"
#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/widgets/file_list.h"

using namespace leafwright;
using namespace leafwright::testing;

class ConvertIntoOnePdfTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void theRowsBecomeOneDocumentWithAnItemEach() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        dialog.sourceList()->appendRow(writeFile(path("b.txt"), "second\n"));
        dialog.sourceList()->appendRow(writeFile(path("a.txt"), "first\n"));
        dialog.sourceList()->appendRow(writeFile(path("c.txt"), "third\n"));
        seams.files.nextFileNames({path("book.pdf")});
        const QStringList rows = dialog.sourceList()->rowTexts();

        dialog.sendCommand(kCmdConvertIntoOnePdf);
        QCOMPARE(seams.files.requests().size(), std::size_t(1));
        QCOMPARE(seams.files.requests().front().form, FileDialogSeam::Form::Save);
        QCOMPARE(dialog.sourceList()->rowCount(), 0);
        QCOMPARE(dialog.resultList()->rowTexts(), QStringList{path("book.pdf")});
        const QByteArray pdf = readAll(path("book.pdf"));
        QVERIFY(pdf.startsWith("%PDF-1.3"));
        QVERIFY(pdf.contains("/Type /Outlines\r\n/First 7 0 R\r\n/Last 9 0 R\r\n/Count 3"));
        // In the list's order.
        QCOMPARE(rows.size(), 3);
        auto titleAt = [&](const QString& row) {
            return pdf.indexOf("/Title (" + QFileInfo(row).fileName().toUtf8() + ")");
        };
        QVERIFY(titleAt(rows[0]) >= 0);
        QVERIFY(titleAt(rows[0]) < titleAt(rows[1]));
        QVERIFY(titleAt(rows[1]) < titleAt(rows[2]));
        QVERIFY(!QFile::exists(path("a.pdf")));
        QVERIFY(seams.messages.shown().empty());
        QVERIFY(seams.notices.shown().empty());
    }

    // A name typed without an extension is the document's with ".pdf"; an
    // existing file of that name, which the save dialog did not ask about,
    // is asked about before it is replaced.
    void aNameWithoutAnExtensionGetsThePdfOne() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        dialog.sourceList()->appendRow(writeFile(path("a.txt"), "first\n"));
        seams.files.nextFileNames({path("notes")});
        dialog.sendCommand(kCmdConvertIntoOnePdf);
        QCOMPARE(dialog.resultList()->rowTexts(), QStringList{path("notes.pdf")});
        QVERIFY(readAll(path("notes.pdf")).startsWith("%PDF-1.3"));
        QVERIFY(!QFile::exists(path("notes")));
        QVERIFY(seams.messages.shown().empty());

        dialog.sourceList()->appendRow(path("a.txt"));
        seams.files.nextFileNames({path("notes")});
        seams.messages.answerNext(QMessageBox::No);
        const QByteArray before = readAll(path("notes.pdf"));
        writeFile(path("notes.pdf"), "kept");
        dialog.sendCommand(kCmdConvertIntoOnePdf);
        QCOMPARE(seams.messages.shown(), std::vector<int>{kOverwriteQuestion});
        QCOMPARE(readAll(path("notes.pdf")), QByteArray("kept"));
        QVERIFY(before.startsWith("%PDF-1.3"));
    }

    void cancellingTheSaveDialogConvertsNothing() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        dialog.sourceList()->appendRow(writeFile(path("a.txt")));
        seams.files.nextCancel();
        dialog.sendCommand(kCmdConvertIntoOnePdf);
        QCOMPARE(dialog.sourceList()->rowCount(), 1);
        QCOMPARE(dialog.resultList()->rowCount(), 0);
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{"a.txt"});

        seams.files.nextFileNames({path("book.pdf")});
        dialog.sourceList()->deleteAllRows();
        dialog.sendCommand(kCmdConvertIntoOnePdf);
        QCOMPARE(seams.messages.shown(), std::vector<int>{kTextListEmpty});
    }

    // The save dialog asked about the existing file already; a vanished
    // source fails the document, which is not written, and the notice names
    // it.
    void aVanishedSourceLeavesEveryRowAndTheOldDocument() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        writeFile(path("book.pdf"), "old");
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            dialog.sourceList()->appendRow(writeFile(path(name)));
        QVERIFY(QFile::remove(path("b.txt")));
        seams.files.nextFileNames({path("book.pdf")});

        dialog.sendCommand(kCmdConvertIntoOnePdf);
        QCOMPARE(dialog.sourceList()->rowCount(), 3);
        QCOMPARE(dialog.resultList()->rowCount(), 0);
        QCOMPARE(readAll(path("book.pdf")), QByteArray("old"));
        QVERIFY(seams.messages.shown().empty());
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        const QString notice = seams.notices.shown().front();
        QVERIFY2(notice.contains('"' + path("b.txt") + '"'), qPrintable(notice));
        // Nothing partial: no other PDF, no hidden temporary file.
        QCOMPARE(QDir(dir_->path()).entryList({"*.pdf", ".*"}, QDir::Files | QDir::Hidden),
                 QStringList{"book.pdf"});

        // Once the file is back the same rows make the document, replacing
        // the old one without another question.
        writeFile(path("b.txt"));
        seams.notices.clear();
        seams.files.nextFileNames({path("book.pdf")});
        dialog.sendCommand(kCmdConvertIntoOnePdf);
        QCOMPARE(dialog.sourceList()->rowCount(), 0);
        QVERIFY(readAll(path("book.pdf")).startsWith("%PDF-1.3"));
        QVERIFY(seams.messages.shown().empty());
    }

    // Lines past the right edge are counted for each source, whatever its
    // fonts, and the notice names the sources that have them.
    void sourcesWithLinesPastTheEdgeAreNamedInTheNotice() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        const QByteArray wide(200, 'x');
        const QByteArray wideChinese = QString(120, QChar(0x4E2D)).toUtf8();
        dialog.sourceList()->appendRow(writeFile(path("a.txt"), wide + "\nshort\n"));
        dialog.sourceList()->appendRow(writeFile(path("b.txt"), "short\n"));
        dialog.sourceList()->appendRow(
            writeFile(path("c.txt"), wideChinese + "\n" + wideChinese + "\n"));
        seams.files.nextFileNames({path("book.pdf")});

        dialog.sendCommand(kCmdConvertIntoOnePdf);
        QCOMPARE(dialog.resultList()->rowTexts(), QStringList{path("book.pdf")});
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        const QString notice = seams.notices.shown().front();
        QVERIFY2(notice.contains("These files have lines that run past the right edge of the "
                                 "page:\n" +
                                 path("a.txt") + " (1 line)\n" + path("c.txt") + " (2 lines)\n"),
                 qPrintable(notice));
        QVERIFY2(!notice.contains(path("b.txt")), qPrintable(notice));
    }

  private:
    QString path(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(ConvertIntoOnePdfTest)
#include "convert_into_one_pdf_test.moc"
