// Runs on a worker thread (Cancel, the overwrite question for all), files
// dropped on the windows, and files named on the command line.
#include <QDeadlineTimer>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <functional>

#include "core/platform/pending_output.h"
#include "core/platform/pending_output_seam.h"
#include "core/settings/messages.h"
#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/plustools/unspool_dialog.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/run_progress_panel.h"

using namespace leafwright;
using namespace leafwright::testing;

namespace {

// Drops local files on a window as a file manager would (text/uri-list).
void dropFiles(QWidget& window, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    const QPointF where(window.width() / 2.0, window.height() / 2.0);
    QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    QVERIFY(drop.isAccepted());
    // The names are looked at once the drop is over.
    QCoreApplication::processEvents();
}

}  // namespace

class LongRunsAndDropsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    // Cancel while a file is being written, from the worker that writes it:
    // that file is abandoned and leaves nothing, no file is started after
    // it, and every file finished by then is listed. Nothing is lost either
    // way: each row is either still to convert, with no PDF, or converted,
    // with its PDF.
    void cancelAbandonsTheFilesAtHandAndListsTheFinishedOnes() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        const int files = 12;
        for (int i = 0; i < files; ++i)
            dialog.sourceList()->appendRow(
                writeFile(path(QString("%1.txt").arg(i, 2, 10, QChar('0')))));
        std::atomic<bool> offTheWindowThread{true};
        std::atomic<bool> cancelled{false};
        std::atomic<int> begunAfterCancel{0};
        PendingOutputSeam outputs([&](const PendingOutput& output) {
            offTheWindowThread = offTheWindowThread && QThread::currentThread() != qApp->thread();
            if (cancelled) ++begunAfterCancel;
            if (output.targetPath() != path("05.pdf").toStdString()) return;
            QMetaObject::invokeMethod(dialog.runProgressPanel()->cancelButton(), "click",
                                      Qt::BlockingQueuedConnection);
            cancelled = true;
        });
        dialog.sendCommand(kCmdConvertFiles);

        QVERIFY(offTheWindowThread);
        QVERIFY(dialog.sourceList()->rowTexts().contains(path("05.txt")));
        // No file is begun once the cancel has taken effect, but the one each
        // other worker may have taken just before.
        QVERIFY2(begunAfterCancel < QThread::idealThreadCount(),
                 qPrintable(QString::number(begunAfterCancel)));
        QStringList expected;
        for (const QString& source : dialog.sourceList()->rowTexts()) {
            QVERIFY(!QFile::exists(source.chopped(3) + "pdf"));
            expected << QFileInfo(source).fileName();
        }
        for (const QString& output : dialog.resultList()->rowTexts()) {
            QVERIFY(readAll(output).startsWith("%PDF-1.3"));
            expected << QFileInfo(output).fileName()
                     << QFileInfo(output).completeBaseName() + ".txt";
        }
        expected.sort();
        // Nothing else in the folder: no temporary file left behind.
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
        QVERIFY(seams.messages.shown().empty());
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QVERIFY2(seams.notices.shown().front().contains(
                     QString("%1 converted, 0 skipped, 0 failed; cancelled with %2 left")
                         .arg(dialog.resultList()->rowCount())
                         .arg(dialog.sourceList()->rowCount())),
                 qPrintable(seams.notices.shown().front()));
        // The window is usable again, the panel gone.
        QVERIFY(dialog.sourceList()->isEnabled());
        QVERIFY(!dialog.runProgressPanel()->isVisible());
    }

    // The workers never wait for the window: while its thread is kept busy
    // in the middle of a run, files go on being written; once it is free
    // again the rows move in groups.
    void theRunGoesOnWhileTheWindowIsBusyAndRowsMoveInGroups() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        const int files = 400;
        QStringList sources;
        for (int i = 0; i < files; ++i) sources << writeFile(path(QString("n%1.txt").arg(i)));
        dialog.sourceList()->insertRows(0, sources);
        std::atomic<int> written{0};
        PendingOutputSeam outputs([&](const PendingOutput&) { ++written; });
        // The rows of a group leave the source list in one go.
        int groups = 0;
        int writtenBefore = -1;
        int writtenAfter = -1;
        connect(dialog.sourceList()->model(), &QAbstractItemModel::rowsRemoved, &dialog, [&] {
            ++groups;
            if (writtenBefore >= 0) return;
            writtenBefore = written;
            QThread::msleep(300);
            writtenAfter = written;
        });
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(dialog.resultList()->rowCount(), files);
        QVERIFY2(writtenAfter > writtenBefore || writtenBefore == files,
                 qPrintable(QString("%1 then %2").arg(writtenBefore).arg(writtenAfter)));
        QVERIFY2(groups < files / 4, qPrintable(QString::number(groups)));
    }

    // A file that appears at an output's name while it is written is asked
    // about when the output is ready, unless the question was answered for
    // all files.
    void aFileAppearingAtCommitIsAskedAboutUnlessAnsweredForAll() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        // The file is planted once the question about "early" is answered,
        // which another worker may be asking just now.
        PendingOutputSeam outputs([&](const PendingOutput& output) {
            if (output.targetPath() != path("late.pdf").toStdString()) return;
            QDeadlineTimer safety(10000);
            for (std::size_t asked = 0; asked == 0 && !safety.hasExpired(); QThread::msleep(2))
                QMetaObject::invokeMethod(
                    &dialog, [&] { asked = seams.messages.shown().size(); },
                    Qt::BlockingQueuedConnection);
            writeFile(path("late.pdf"), "planted");
        });
        auto runOver = [&](QMessageBox::StandardButton first) {
            writeFile(path("early.pdf"), "old");
            QFile::remove(path("late.pdf"));
            dialog.sourceList()->appendRow(writeFile(path("early.txt")));
            dialog.sourceList()->appendRow(writeFile(path("late.txt")));
            seams.messages.clear();
            seams.messages.answerNext(first);
            seams.messages.answerNext(QMessageBox::Yes);
            dialog.sendCommand(kCmdConvertFiles);
        };
        runOver(QMessageBox::YesToAll);
        QCOMPARE(seams.messages.details(), std::vector<QString>{path("early.pdf")});
        QVERIFY(readAll(path("late.pdf")).startsWith("%PDF-1.3"));
        QCOMPARE(dialog.sourceList()->rowCount(), 0);

        runOver(QMessageBox::Yes);
        QCOMPARE(seams.messages.shown().size(), std::size_t(2));
        QVERIFY(std::count(seams.messages.details().begin(), seams.messages.details().end(),
                           path("late.pdf")) == 1);
        QVERIFY(readAll(path("late.pdf")).startsWith("%PDF-1.3"));
    }

    void theProgressTextCountsFilesAndBytes() {
        RunProgressPanel panel;
        panel.showProgress(2, 4, 12'500'000, 40'000'000);
        QCOMPARE(panel.bar()->format(), QStringLiteral("2 of 4 files, 12.5 of 40 MB"));
        QCOMPARE(panel.bar()->value(), panel.bar()->maximum() * 5 / 16);
        QCOMPARE(bytesOfText(300, 900), QStringLiteral("300 of 900 bytes"));
        QCOMPARE(bytesOfText(999, 2'500), QStringLiteral("1 of 2.5 kB"));
        QCOMPARE(bytesOfText(3'000'000'000, 7'250'000'000), QStringLiteral("3 of 7.3 GB"));
        // Empty sources: the bar follows the files.
        panel.showProgress(1, 4, 0, 0);
        QCOMPARE(panel.bar()->value(), panel.bar()->maximum() / 4);
    }

    // Escape during a run cancels it and keeps the window with its lists;
    // the close box cancels it, then closes. Either reaches the window while
    // "b" is being written, from the worker that writes it; what the other
    // workers finished meanwhile is listed, the rest stays to be converted.
    void escapeDuringARunOnlyCancelsItAndTheCloseBoxAlsoCloses() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        std::function<void()> act;
        PendingOutputSeam outputs([&](const PendingOutput& output) {
            if (output.targetPath() == path("b.pdf").toStdString())
                QMetaObject::invokeMethod(&dialog, act, Qt::BlockingQueuedConnection);
        });
        auto runAndCheck = [&] {
            for (const char* name : {"a", "b", "c", "d"})
                dialog.sourceList()->appendRow(writeFile(path(name + QString(".txt"))));
            dialog.sendCommand(kCmdConvertFiles);
            QVERIFY(dialog.sourceList()->rowTexts().contains(path("b.txt")));
            QVERIFY(!QFile::exists(path("b.pdf")));
            QCOMPARE(dialog.sourceList()->rowCount() + dialog.resultList()->rowCount(), 4);
            for (const QString& source : dialog.sourceList()->rowTexts())
                QVERIFY(!QFile::exists(source.chopped(3) + "pdf"));
            for (const QString& output : dialog.resultList()->rowTexts())
                QVERIFY(readAll(output).startsWith("%PDF-1.3"));
        };
        // The key goes where the keyboard is: the Cancel button once shown,
        // else the window, whose lists are disabled.
        act = [&] {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && focus->isEnabled() ? focus : &dialog, Qt::Key_Escape);
        };
        runAndCheck();
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.sourceList()->isEnabled());

        dialog.sourceList()->deleteAllRows();
        dialog.resultList()->deleteAllRows();
        for (const QString& pdf : QDir(dir_->path()).entryList({"*.pdf"}))
            QVERIFY(QFile::remove(path(pdf)));
        act = [&] { dialog.close(); };
        runAndCheck();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void yesToAllAnswersOnceForTheRestOfTheRun() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        for (const char* name : {"a", "b", "c"}) {
            dialog.sourceList()->appendRow(writeFile(path(name + QString(".txt"))));
            writeFile(path(name + QString(".pdf")), "old");
        }
        seams.messages.answerNext(QMessageBox::YesToAll);
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(seams.messages.shown(), std::vector<int>{kOverwriteQuestion});
        // The question names the file it is about: the first a worker reached.
        QCOMPARE(seams.messages.details().size(), std::size_t(1));
        QVERIFY(QStringList({path("a.pdf"), path("b.pdf"), path("c.pdf")})
                    .contains(seams.messages.details().front()));
        QCOMPARE(dialog.resultList()->rowCount(), 3);
        for (const char* name : {"a.pdf", "b.pdf", "c.pdf"})
            QVERIFY(readAll(path(name)).startsWith("%PDF-1.3"));

        // No to All keeps every existing file without asking again; Cancel
        // stops the run with the row on top.
        seams.messages.clear();
        dialog.sourceList()->appendRow(path("a.txt"));
        dialog.sourceList()->appendRow(path("b.txt"));
        seams.messages.answerNext(QMessageBox::NoToAll);
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(seams.messages.shown().size(), std::size_t(1));
        QCOMPARE(dialog.sourceList()->rowCount(), 0);
        dialog.sourceList()->appendRow(path("a.txt"));
        seams.messages.answerNext(QMessageBox::Cancel);
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList{path("a.txt")});
        QCOMPARE(dialog.resultList()->rowCount(), 3);
    }

    // A folder gives its texts (not those of its subfolders until asked, nor
    // hidden ones), a PDF is refused at the drop; one notice tells both.
    void aDroppedFolderAddsItsTextsAndAPdfIsRefused() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        QVERIFY(QDir(dir_->path()).mkpath("folder/sub"));
        for (const char* name : {"folder/b.txt", "folder/A.TXT", "folder/notes.log",
                                 "folder/paper.pdf", "folder/.hidden.txt", "folder/sub/deep.txt"})
            writeFile(path(name));
        dropFiles(dialog, {writeFile(path("z.txt")), path("folder"), writeFile(path("x.PDF")),
                           writeFile(path("a.log"))});
        QCOMPARE(dialog.sourceList()->rowTexts(),
                 QStringList(
                     {path("a.log"), path("folder/A.TXT"), path("folder/b.txt"), path("z.txt")}));
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        const QString notice = seams.notices.shown().front();
        QVERIFY2(notice.contains("not text files:\n" + path("x.PDF")), qPrintable(notice));
        QVERIFY2(notice.contains(path("folder")), qPrintable(notice));
        QCOMPARE(seams.notices.answers(), QStringList{"Include subfolders"});
        QVERIFY(seams.notices.press("Include subfolders"));
        QVERIFY(dialog.sourceList()->rowTexts().contains(path("folder/sub/deep.txt")));
        QCOMPARE(dialog.sourceList()->rowCount(), 5);
        QCOMPARE(dialog.resultList()->rowCount(), 0);

        // With "All files" chosen in Add Files, a folder gives every file but
        // its PDFs.
        dialog.sourceList()->deleteAllRows();
        seams.notices.clear();
        seams.files.nextFileNames({path("a.log")}, 1);
        dialog.sendCommand(kCmdAddFiles);
        dropFiles(dialog, {path("folder")});
        QCOMPARE(dialog.sourceList()->rowTexts(),
                 QStringList({path("a.log"), path("folder/A.TXT"), path("folder/b.txt"),
                              path("folder/notes.log")}));
        QVERIFY(seams.notices.shown().front().contains(path("folder/paper.pdf")));
    }

    // During a run its rows belong to it: a file dropped meanwhile (one that
    // sorts first) joins the list once the run is over.
    void aFileDroppedDuringARunJoinsTheListAfterIt() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            dialog.sourceList()->appendRow(writeFile(path(name)));
        const QString early = writeFile(path("0.txt"));
        PendingOutputSeam outputs([&](const PendingOutput& output) {
            if (output.targetPath() == path("b.pdf").toStdString())
                QMetaObject::invokeMethod(
                    &dialog, [&] { dropFiles(dialog, {early}); }, Qt::BlockingQueuedConnection);
        });
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(dialog.resultList()->rowTexts(),
                 QStringList({path("a.pdf"), path("b.pdf"), path("c.pdf")}));
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList{early});
        QVERIFY(!QFile::exists(path("0.pdf")));
    }

    void aPdfDroppedOnUnspoolJoinsItsPdfList() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        QCOMPARE(dialog.pdfList()->accessibleName(), QStringLiteral("PDF files to extract"));
        QCOMPARE(dialog.textList()->accessibleName(), QStringLiteral("Text files written"));
        dialog.pdfList()->appendRow("/earlier.pdf");
        QVERIFY(QDir(dir_->path()).mkdir("pdfs"));
        for (const char* name : {"pdfs/b.pdf", "pdfs/A.PDF", "pdfs/c.txt"}) writeFile(path(name));
        dropFiles(dialog,
                  {writeFile(path("paper.PDF")), writeFile(path("notes.txt")), path("pdfs")});
        // The drop goes on top, in its order; the folder's PDFs by name.
        QCOMPARE(dialog.pdfList()->rowTexts(), QStringList({path("paper.PDF"), path("pdfs/A.PDF"),
                                                            path("pdfs/b.pdf"), "/earlier.pdf"}));
        QCOMPARE(dialog.textList()->rowCount(), 0);
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QVERIFY(seams.notices.shown().front().contains(path("notes.txt")));
        QVERIFY(!seams.notices.shown().front().contains(path("pdfs/c.txt")));
    }

    void fileArgumentsFillTheSourceList() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        QVERIFY(QDir(dir_->path()).mkdir("sub"));
        writeFile(path("sub/relative.txt"));
        const QString before = QDir::currentPath();
        QDir::setCurrent(path("sub"));
        QVERIFY(QDir(dir_->path()).mkpath("sub/empty"));
        writeFile(path("sub/empty/notes.log"));
        QVERIFY(QFile::link(path("sub/nowhere"), path("sub/dangling.txt")));
        dialog.addStartFiles({"relative.txt", writeFile(path("absolute.txt")), "missing.txt",
                              "empty", "dangling.txt"});
        QDir::setCurrent(before);
        QCOMPARE(dialog.sourceList()->rowTexts(),
                 QStringList({path("absolute.txt"), path("sub/relative.txt")}));
        // Each left out for what it is: nothing, or a folder without texts.
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        const QString notice = seams.notices.shown().front();
        QVERIFY2(notice.contains("as they do not exist:\n" + path("sub/missing.txt") + "\n" +
                                 path("sub/dangling.txt")),
                 qPrintable(notice));
        QVERIFY2(notice.contains("These folders hold no text files:\n" + path("sub/empty")),
                 qPrintable(notice));
        QVERIFY2(!notice.contains("not files"), qPrintable(notice));
        // Every row shows its full path as its tooltip.
        QCOMPARE(dialog.sourceList()->item(0)->toolTip(), path("absolute.txt"));
    }

  private:
    QString path(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(LongRunsAndDropsTest)
#include "long_runs_and_drops_test.moc"
