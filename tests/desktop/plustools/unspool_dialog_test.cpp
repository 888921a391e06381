// The Unspool window and the plus-tools chooser, driven through the seams of
// the platform services: no window of the platform opens.
#include "desktop/plustools/unspool_dialog.h"

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "core/platform/pending_output.h"
#include "core/platform/pending_output_seam.h"
#include "core/settings/messages.h"
#include "desktop/desktop_fixture.h"
#include "desktop/plustools/plus_tools_commands.h"
#include "desktop/plustools/plus_tools_dialog.h"
#include "desktop/widgets/dialog_units.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/notice_box.h"

using namespace leafwright;
using namespace leafwright::testing;

namespace {

const QByteArray kPdf = "%PDF-1.3\nBT\n/F1 12 Tf\n(Hello \\(world\\))'\nET\n%%EOF\n";
const QByteArray kExtracted = "Hello (world)\r\n";

void fill(FileList* list, const QStringList& rows) {
    for (const QString& row : rows) list->appendRow(row);
}

void select(FileList* list, std::initializer_list<int> rows) {
    for (int row : rows) list->item(row)->setSelected(true);
}

}  // namespace

class UnspoolDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(dir_.isValid()); }

    void addFilesPutsEachBatchOnTopInItsOrder() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        seams.files.nextFileNames({"/a/A.pdf", "/a/B.pdf"});
        dialog.button(UnspoolDialog::kAddFilesButton)->click();
        seams.files.nextFileNames({"/a/C.pdf", "/a/D.pdf"});
        dialog.OnAddFiles();
        seams.files.nextCancel();
        dialog.OnAddFiles();
        QCOMPARE(dialog.pdfList()->rowTexts(),
                 QStringList({"/a/C.pdf", "/a/D.pdf", "/a/A.pdf", "/a/B.pdf"}));
        QCOMPARE(seams.files.requests().at(0).filterText,
                 QString("PDF file(*.pdf)|*.pdf;|All files (*)|*|"));
        QVERIFY(seams.messages.shown().empty());
    }

    void removeTakesSelectedRowsOfEitherOrBothLists() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        fill(dialog.pdfList(), {"p0", "p1", "p2"});
        fill(dialog.textList(), {"t0", "t1", "t2"});

        dialog.button(UnspoolDialog::kRemoveButton)->click();
        QCOMPARE(seams.messages.shown(), std::vector<int>{kNoItemsSelected});
        QCOMPARE(dialog.pdfList()->rowCount() + dialog.textList()->rowCount(), 6);

        select(dialog.textList(), {0, 2});
        dialog.OnRemove();
        QCOMPARE(dialog.textList()->rowTexts(), QStringList({"t1"}));
        QCOMPARE(dialog.pdfList()->rowTexts(), QStringList({"p0", "p1", "p2"}));

        select(dialog.textList(), {0});
        select(dialog.pdfList(), {1});
        dialog.OnRemove();
        QCOMPARE(dialog.textList()->rowCount(), 0);
        QCOMPARE(dialog.pdfList()->rowTexts(), QStringList({"p0", "p2"}));
        QCOMPARE(seams.messages.shown().size(), std::size_t(1));
    }

    void clearListEmptiesBothWithoutAMessage() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        dialog.button(UnspoolDialog::kClearListButton)->click();
        fill(dialog.pdfList(), {"p0"});
        fill(dialog.textList(), {"t0"});
        dialog.OnClearList();
        QCOMPARE(dialog.pdfList()->rowCount() + dialog.textList()->rowCount(), 0);
        QVERIFY(seams.messages.shown().empty());
    }

    void convertOnAnEmptyListShowsMessage13() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        dialog.button(UnspoolDialog::kConvertButton)->click();
        QCOMPARE(seams.messages.shown(), std::vector<int>{kPdfListEmpty});
    }

    void convertedPathsGoOnTopInConversionOrder() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        fill(dialog.textList(), {"/earlier/run.txt"});
        fill(dialog.pdfList(),
             {writeFile(path("one.pdf"), kPdf), writeFile(path("two.PDF"), kPdf)});
        dialog.OnConvert();
        QCOMPARE(dialog.pdfList()->rowCount(), 0);
        QCOMPARE(dialog.textList()->rowTexts(),
                 QStringList({path("one.txt"), path("two.txt"), "/earlier/run.txt"}));
        QCOMPARE(readAll(path("two.txt")), kExtracted);
        QVERIFY(seams.messages.shown().empty());
    }

    void aFileListedTwiceConvertsOnceAndAsksOnce() {
        PlatformSeams seams;
        NoticeBoxSeam errors;
        UnspoolDialog dialog;
        const QString source = writeFile(path("twice.pdf"), kPdf);
        fill(dialog.pdfList(), {source, source});
        dialog.OnConvert();  // the seam answers No to the question
        QCOMPARE(seams.messages.shown(), std::vector<int>{kOverwriteQuestion});
        QCOMPARE(dialog.textList()->rowTexts(), QStringList({path("twice.txt")}));
        QCOMPARE(dialog.pdfList()->rowCount(), 0);
        QCOMPARE(readAll(path("twice.txt")), kExtracted);
        // No error; the run's summary counts the file answered No.
        QCOMPARE(errors.shown(), std::vector<QString>{"1 converted, 1 skipped, 0 failed"});
    }

    void yesReplacesAnExistingOutput() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        writeFile(path("old.txt"), "older text, longer than the new one\r\n");
        fill(dialog.pdfList(), {writeFile(path("old.pdf"), kPdf)});
        seams.messages.answerNext(QMessageBox::Yes);
        dialog.OnConvert();
        QCOMPARE(seams.messages.shown(), std::vector<int>{kOverwriteQuestion});
        QCOMPARE(readAll(path("old.txt")), kExtracted);
        QCOMPARE(dialog.textList()->rowTexts(), QStringList({path("old.txt")}));
    }

    // A file whose output name is taken by a folder fails alone; its row
    // stays, and the notice after the run names the folder.
    void anOutputFolderFailsItsFileAlone() {
        PlatformSeams seams;
        NoticeBoxSeam errors;
        UnspoolDialog dialog;
        QVERIFY(QDir(dir_.path()).mkdir("blocked.txt"));
        const QStringList rows = {writeFile(path("first.pdf"), kPdf),
                                  writeFile(path("blocked.pdf"), kPdf),
                                  writeFile(path("last.pdf"), kPdf)};
        fill(dialog.pdfList(), rows);
        dialog.OnConvert();
        QVERIFY(seams.messages.shown().empty());  // a folder raises no question
        QCOMPARE(errors.shown().size(), std::size_t(1));
        QVERIFY(errors.shown()[0].contains('"' + path("blocked.txt") + '"'));
        QCOMPARE(dialog.pdfList()->rowTexts(), QStringList{rows[1]});
        QCOMPARE(dialog.textList()->rowTexts(), QStringList({path("first.txt"), path("last.txt")}));
        QCOMPARE(readAll(path("last.txt")), kExtracted);
    }

    void aTextSourceIsRefusedAndKept() {
        PlatformSeams seams;
        NoticeBoxSeam errors;
        UnspoolDialog dialog;
        const QString source = writeFile(path("notes.txt"), kPdf);
        fill(dialog.pdfList(), {source});
        dialog.OnConvert();
        QCOMPARE(errors.shown().size(), std::size_t(1));
        QVERIFY(errors.shown()[0].contains('"' + source + '"'));
        QCOMPARE(readAll(source), kPdf);
        QCOMPARE(dialog.pdfList()->rowTexts(), QStringList({source}));
        QCOMPARE(dialog.textList()->rowCount(), 0);
    }

    void doubleClickOpensTheLowestSelectedRow() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        fill(dialog.textList(),
             {writeFile(path("a.txt")), writeFile(path("b.txt")), path("gone.txt")});
        dialog.OnDblclkTextList();  // nothing selected: nothing happens
        select(dialog.textList(), {2, 1});
        dialog.OnDblclkTextList();
        QCOMPARE(seams.opener.requests().size(), std::size_t(1));
        QCOMPARE(seams.opener.requests()[0].toLocalFile(), path("b.txt"));
        QVERIFY(seams.messages.shown().empty());

        dialog.textList()->clearSelection();
        select(dialog.textList(), {2});
        emit dialog.textList()->listDoubleClicked();
        QCOMPARE(seams.messages.shown(), std::vector<int>{kFileCannotBeOpened});
        QCOMPARE(dialog.textList()->rowCount(), 3);
    }

    void enterAddsFilesAndEscapeCloses() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        QVERIFY(dialog.button(UnspoolDialog::kAddFilesButton)->isDefault());
        dialog.show();
        QTest::keyClick(dialog.pdfList(), Qt::Key_Return);
        QCOMPARE(seams.files.requests().size(), std::size_t(1));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    // During a run Escape cancels it and the window stays: here it comes
    // while the second text is being written (a text this short has no
    // point left at which to stop, so it may still be finished).
    void escapeDuringARunKeepsTheWindow() {
        PlatformSeams seams;
        UnspoolDialog dialog;
        dialog.show();
        fill(dialog.pdfList(),
             {writeFile(path("esc1.pdf"), kPdf), writeFile(path("esc2.pdf"), kPdf),
              writeFile(path("esc3.pdf"), kPdf)});
        PendingOutputSeam outputs([&](const PendingOutput& output) {
            if (output.targetPath() == path("esc2.txt").toStdString())
                QMetaObject::invokeMethod(
                    &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); },
                    Qt::BlockingQueuedConnection);
        });
        dialog.OnConvert();
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.pdfList()->isEnabled());
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QVERIFY2(seams.notices.shown().front().contains("cancelled"),
                 qPrintable(seams.notices.shown().front()));
        QCOMPARE(dialog.pdfList()->rowCount() + dialog.textList()->rowCount(), 3);
        for (const QString& text : dialog.textList()->rowTexts()) QVERIFY(QFile::exists(text));
    }

    // The buttons have their template's size in dialog units at least, and
    // room around their captions.
    void buttonsHaveTheirSizeInDialogUnits() {
        UnspoolDialog dialog;
        const DialogUnits units(dialog.font());
        for (int control : {UnspoolDialog::kAddFilesButton, UnspoolDialog::kRemoveButton,
                            UnspoolDialog::kClearListButton, UnspoolDialog::kConvertButton,
                            UnspoolDialog::kQuitButton}) {
            const QPushButton* button = dialog.button(control);
            QVERIFY(button->minimumHeight() >= units.y(12));
            QVERIFY(button->minimumWidth() >= units.x(45));
            QVERIFY2(button->sizeHint().height() >= button->fontMetrics().height() + 6,
                     qPrintable(button->text()));
            QVERIFY(button->sizeHint().width() >=
                    button->fontMetrics().horizontalAdvance(button->text()) + 12);
        }
    }

    void everyOpeningStartsWithEmptyLists() {
        PlatformSeams seams;
        QList<int> rowsAtStart;
        seams.modal.setHandler([&](QDialog& opened) {
            auto& unspool = static_cast<UnspoolDialog&>(opened);
            rowsAtStart << unspool.pdfList()->rowCount() + unspool.textList()->rowCount();
            fill(unspool.pdfList(), {"/x.pdf"});
            fill(unspool.textList(), {"/x.txt"});
            return int(QDialog::Rejected);
        });
        runUnspoolDialog(nullptr);
        runUnspoolDialog(nullptr);
        QCOMPARE(rowsAtStart, QList<int>({0, 0}));
        QCOMPARE(seams.modal.ran(), std::vector<QString>(2, "leafwright::UnspoolDialog"));
    }

    void chooserRunNeedsASelectedTool() {
        PlatformSeams seams;
        PlusToolsDialog chooser;
        QVERIFY(chooser.runButton()->isDefault());
        QCOMPARE(chooser.toolList()->topLevelItemCount(), 1);
        QCOMPARE(chooser.toolList()->topLevelItem(0)->text(3),
                 QString("Convert un-code PDF files into text(.txt) format."));
        chooser.runButton()->click();
        QCOMPARE(seams.messages.shown(), std::vector<int>{kNoItemsSelected});
        QVERIFY(seams.modal.ran().empty());
    }

    void enterOrDoubleClickInTheChooserRunsUnspool() {
        PlatformSeams seams;
        seams.modal.setHandler([&](QDialog& opened) {
            if (auto* chooser = qobject_cast<PlusToolsDialog*>(&opened)) {
                chooser->show();
                chooser->toolList()->topLevelItem(0)->setSelected(true);
                chooser->toolList()->setFocus();
                QTest::keyClick(chooser->toolList(), Qt::Key_Return);
                QTest::mouseDClick(chooser->toolList()->viewport(), Qt::LeftButton);
            }
            return int(QDialog::Rejected);
        });
        runPlusToolsDialog(nullptr);
        QCOMPARE(seams.modal.ran(),
                 std::vector<QString>({"leafwright::PlusToolsDialog", "leafwright::UnspoolDialog",
                                       "leafwright::UnspoolDialog"}));
        QVERIFY(seams.messages.shown().empty());
    }

  private:
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
};

QTEST_MAIN(UnspoolDialogTest)
#include "unspool_dialog_test.moc"
