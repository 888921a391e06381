// From the settings dialog to a converted file: the PDF the window writes is
// byte for byte the one leafwright-cli writes from the last.tcf the window
// recorded.
#include <QAbstractButton>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include "core/settings/config_file.h"
#include "core/settings/pick_lists.h"
#include "core/settings/window_rules.h"
#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/settings/settings_dialog.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/pick_list.h"

using namespace leafwright;
using namespace leafwright::testing;

namespace {

using D = SettingsDialog;

int chooseLetterLandscapeCourierBlueOnYellow(QDialog& shown) {
    auto& dialog = static_cast<D&>(shown);
    auto pick = [&](int id, const QString& value) {
        qobject_cast<PickList*>(dialog.control(id))->showValue(value);
    };
    pick(D::kPageStyleList, "Letter");
    pick(D::kFontList, "Courier");
    pick(D::kFontSizeList, "10");
    pick(D::kTextColorList, "Blue");
    pick(D::kPageColorList, "Yellow");
    qobject_cast<QAbstractButton*>(dialog.control(D::kLandscapeBox))->setChecked(true);
    qobject_cast<QLineEdit*>(dialog.control(D::kTopMarginField))->setText("50");
    qobject_cast<QLineEdit*>(dialog.control(D::kLeftMarginField))->setText("40");
    qobject_cast<QAbstractButton*>(dialog.control(D::kOkButton))->click();
    return shown.result();
}

int clickOk(QDialog& shown) {
    qobject_cast<QAbstractButton*>(static_cast<D&>(shown).control(D::kOkButton))->click();
    return shown.result();
}

// Configuration files whose list values are odd: other letter case, a
// prefix, letters that only Unicode case folding would match (the Kelvin
// sign for "k", the long s for "s", the dotless i), values longer than any
// entry, bytes that are not UTF-8, empty values; and folder lines that the
// "Customize" box overrides or that hold wildcards.
const char* const kOddFiles[] = {
    "a4\r\ncourier-b\r\n1\r\nb\r\nwhite\r\n9\r\n36\r\n36\r\n"
    "FALSE\r\nFALSE\r\n/no/such/*\r\nFALSE\r\n",
    "LETTER  [612,792] \r\nTime\xc5\xbf-Roman\r\n\r\nBlac\xe2\x84\xaa\r\n"
    "Wh\xc4\xb1te\r\n270\r\n10\r\n10\r\nTRUE\r\nTRUE\r\n[x]\r\nTRUE\r\n",
    "\xff\xfe\r\nCOURIER\r\n3\r\ncyan\xa0\r\nYELLOW\r\n18\r\n0\r\n0\r\n"
    "FALSE\r\nFALSE\r\n\r\nFALSE\r\n",
    "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nFALSE\r\nFALSE\r\nDefault Path\r\nFALSE\r\n",
};

}  // namespace

class WindowAndCliAgreeTest : public QObject {
    Q_OBJECT

  private slots:
    void theWindowWritesWhatTheCommandLineWrites() {
        QTemporaryDir program;
        QTemporaryDir docs;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(program));

        seams.modal.setHandler(chooseLetterLandscapeCourierBlueOnYellow);
        dialog.sendCommand(kCmdOptions);
        QCOMPARE(seams.modal.ran().size(), std::size_t(1));
        QVERIFY(seams.messages.shown().empty());
        QCOMPARE(dialog.settings().pageWidth, std::string("792"));
        QCOMPARE(dialog.settings().textRgb, std::string("0 0 1"));

        const QString source = writeFile(docs.filePath("report.txt"),
                                         "First line (with brackets) \\ and a tab\there\r\n"
                                         "Caf\xc3\xa9 cr\xc3\xa8me\r\n\r\nlast line\r\n");
        dialog.sourceList()->appendRow(source);
        dialog.sendCommand(kCmdConvertFiles);
        QCOMPARE(dialog.resultList()->rowTexts(), QStringList{docs.filePath("report.pdf")});
        const QByteArray fromWindow = readAll(docs.filePath("report.pdf"));
        QVERIFY(fromWindow.startsWith("%PDF-1.3"));
        QVERIFY(fromWindow.contains("/Courier"));
        QVERIFY(QFile::remove(docs.filePath("report.pdf")));

        QProcess cli;
        cli.start(QStringLiteral(LEAFWRIGHT_CLI),
                  {"convert", "--config", program.filePath("last.tcf"), "--creator", "", source});
        QVERIFY(cli.waitForFinished(60000));
        QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
        QCOMPARE(readAll(docs.filePath("report.pdf")), fromWindow);
    }

    // The command line reads a configuration file with the window's rules
    // (pick-list match, folder rule): for odd values both select the same
    // entries.
    void oddValuesSelectTheSameEntriesInTheWindowAndOnTheCommandLine() {
        QTemporaryDir folder;
        PlatformSeams seams;
        for (const char* lines : kOddFiles) {
            const QString path = writeFile(folder.filePath("odd.tcf"), lines);
            const ChosenValues read = readConfigFile(path.toStdString());

            ChosenValues forCli = asShownInPickLists(read);
            applyFolderRule(forCli);

            SettingsDialog dialog(folder.path());
            dialog.setFileValues(read);
            seams.modal.setHandler(clickOk);
            QCOMPARE(dialog.run(), int(QDialog::Accepted));
            const ChosenValues& shown = dialog.values();
            QCOMPARE(shown.pageStyle, forCli.pageStyle);
            QCOMPARE(shown.font, forCli.font);
            QCOMPARE(shown.fontSize, forCli.fontSize);
            QCOMPARE(shown.textColor, forCli.textColor);
            QCOMPARE(shown.pageColor, forCli.pageColor);
            QCOMPARE(shown.rotation, forCli.rotation);
            QCOMPARE(shown.customFolder, forCli.customFolder);
            QCOMPARE(shown.folder, forCli.folder);
        }
    }
};

QTEST_MAIN(WindowAndCliAgreeTest)
#include "window_and_cli_agree_test.moc"
