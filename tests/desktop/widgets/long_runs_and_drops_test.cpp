// Runs on a worker thread (Cancel, the overwrite question for all), files
// dropped on the windows, and files named on the command line.
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <functional>

#include "core/platform/pending_output.h"
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

    void cancelStopsTheWorkerBetweenFilesAndLeavesNoPartialFile() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            dialog.sourceList()->appendRow(writeFile(path(name)));
        std::atomic<bool> offTheWindowThread{false};
        PendingOutput::afterCreateHook = [&](const PendingOutput&) {
            offTheWindowThread = QThread::currentThread() != qApp->thread();
        };
        // Cancel once the first file is listed as converted.
        connect(dialog.resultList()->model(), &QAbstractItemModel::rowsInserted, &dialog,
                [&] { dialog.runProgressPanel()->cancelButton()->click(); });
        dialog.sendCommand(kCmdConvertFiles);
        PendingOutput::afterCreateHook = nullptr;

        QVERIFY(offTheWindowThread);
        QCOMPARE(dialog.resultList()->rowTexts(), QStringList{path("a.pdf")});
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList({path("b.txt"), path("c.txt")}));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"a.pdf", "a.txt", "b.txt", "c.txt"}));
        QVERIFY(seams.messages.shown().empty());
        QCOMPARE(seams.notices.shown(),
                 std::vector<QString>{"1 converted, 0 skipped, 0 failed; cancelled with 2 left"});
        // The window is usable again, the panel gone.
        QVERIFY(dialog.sourceList()->isEnabled());
        QVERIFY(!dialog.runProgressPanel()->isVisible());
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
        PendingOutput::afterCreateHook = [&](const PendingOutput& output) {
            if (output.targetPath() == path("b.pdf").toStdString())
                QMetaObject::invokeMethod(&dialog, act, Qt::BlockingQueuedConnection);
        };
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
        PendingOutput::afterCreateHook = nullptr;
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
        // The question names the file it is about.
        QCOMPARE(seams.messages.details(), std::vector<QString>{path("a.pdf")});
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
        dialog.addStartFiles({"relative.txt", writeFile(path("absolute.txt")), "missing.txt"});
        QDir::setCurrent(before);
        QCOMPARE(dialog.sourceList()->rowTexts(),
                 QStringList({path("absolute.txt"), path("sub/relative.txt")}));
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QVERIFY(seams.notices.shown().front().contains(path("sub/missing.txt")));
        // Every row shows its full path as its tooltip.
        QCOMPARE(dialog.sourceList()->item(0)->toolTip(), path("absolute.txt"));
    }

  private:
    QString path(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(LongRunsAndDropsTest)
#include "long_runs_and_drops_test.moc"
