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
        QVERIFY(seams.notices.shown().empty());
        // The window is usable again, the panel gone.
        QVERIFY(dialog.sourceList()->isEnabled());
        QVERIFY(!dialog.runProgressPanel()->isVisible());
    }

    // Escape or the close box during a run cancel it first, then close.
    void closingDuringARunCancelsItThenCloses() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        for (const char* name : {"a.txt", "b.txt"})
            dialog.sourceList()->appendRow(writeFile(path(name)));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        connect(dialog.resultList()->model(), &QAbstractItemModel::rowsInserted, &dialog,
                [&] { dialog.close(); });
        dialog.sendCommand(kCmdConvertFiles);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList{path("b.txt")});
        QVERIFY(!QFile::exists(path("b.pdf")));
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

    void aDropOfTwoFilesAndAFolderAddsTheFiles() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        QVERIFY(QDir(dir_->path()).mkdir("folder"));
        dropFiles(dialog, {writeFile(path("z.txt")), path("folder"), writeFile(path("a.log"))});
        QCOMPARE(dialog.sourceList()->rowTexts(), QStringList({path("a.log"), path("z.txt")}));
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QVERIFY(seams.notices.shown().front().contains(path("folder")));
        QCOMPARE(dialog.resultList()->rowCount(), 0);
    }

    void aPdfDroppedOnUnspoolJoinsItsPdfList() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        QCOMPARE(dialog.pdfList()->accessibleName(), QStringLiteral("PDF files to extract"));
        QCOMPARE(dialog.textList()->accessibleName(), QStringLiteral("Text files written"));
        dialog.pdfList()->appendRow("/earlier.pdf");
        dropFiles(dialog, {writeFile(path("paper.PDF")), writeFile(path("notes.txt"))});
        QCOMPARE(dialog.pdfList()->rowTexts(), QStringList({path("paper.PDF"), "/earlier.pdf"}));
        QCOMPARE(dialog.textList()->rowCount(), 0);
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QVERIFY(seams.notices.shown().front().contains(path("notes.txt")));
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
