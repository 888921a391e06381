// The main window's three ways into the plus-tools: each opens a fresh window.
#include <QTest>

#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/plustools/unspool_dialog.h"
#include "desktop/widgets/file_list.h"

using namespace leafwright;
using namespace leafwright::testing;

class PlusToolsEntryTest : public QObject {
    Q_OBJECT

  private slots:
    void menuAndDropDownOpenUnspoolAndToolbarOpensTheChooser() {
        QTemporaryDir program;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(program));

        dialog.sendCommand(kCmdUnspool);
        dialog.sendCommand(kCmdDropDownUnspool);
        dialog.sendCommand(kCmdToolbarTools);
        QCOMPARE(seams.modal.ran(),
                 (std::vector<QString>{"leafwright::UnspoolDialog", "leafwright::UnspoolDialog",
                                       "leafwright::PlusToolsDialog"}));
    }

    void everyOpeningStartsWithEmptyLists() {
        QTemporaryDir program;
        QTemporaryDir files;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(program));
        QList<int> rowsSeen;
        seams.modal.setHandler([&](QDialog& opened) {
            auto& unspool = static_cast<UnspoolDialog&>(opened);
            rowsSeen << unspool.pdfList()->rowCount() + unspool.textList()->rowCount();
            seams.files.nextFileNames({writeFile(files.filePath("a.pdf"))});
            unspool.OnAddFiles();
            rowsSeen << unspool.pdfList()->rowCount();
            return int(QDialog::Rejected);
        });

        dialog.sendCommand(kCmdUnspool);
        dialog.sendCommand(kCmdUnspool);
        QCOMPARE(rowsSeen, (QList<int>{0, 1, 0, 1}));
    }
};

QTEST_MAIN(PlusToolsEntryTest)
#include "plus_tools_entry_test.moc"
