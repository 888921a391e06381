// From the settings dialog to a converted file: the PDF the window writes is
// byte for byte the one leafwright-cli writes from the last.tcf the window
// recorded, and both read the settings after the twelve lines alike.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QTest>

#include "core/settings/config_file.h"
#include "core/settings/pick_lists.h"
#include "core/settings/window_rules.h"
#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/settings/more_settings_dialog.h"
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

// In the settings dialog: "More settings...", then OK. In the second dialog:
// a change to each setting, then OK.
int chooseMoreSettings(QDialog& shown) {
    using M = MoreSettingsDialog;
    if (auto* more = qobject_cast<M*>(&shown)) {
        auto get = [more](int id) { return more->control(id); };
        qobject_cast<QComboBox*>(get(M::kWrapList))->setCurrentIndex(1);
        qobject_cast<QCheckBox*>(get(M::kWrapMarkBox))->setChecked(false);
        qobject_cast<QCheckBox*>(get(M::kFormFeedBox))->setChecked(true);
        qobject_cast<QLineEdit*>(get(M::kHeaderField))->setText("{title}|{file}|{page}/{pages}");
        qobject_cast<QLineEdit*>(get(M::kFooterField))
            ->setText(QString::fromUtf8("\xc2\xa9 {date}"));
        qobject_cast<QCheckBox*>(get(M::kHeaderRuleBox))->setChecked(false);
        qobject_cast<QSpinBox*>(get(M::kLineNumbersBox))->setValue(1);
        qobject_cast<QSpinBox*>(get(M::kLineNumberStartBox))->setValue(100);
        qobject_cast<QComboBox*>(get(M::kFontFamilyList))->setCurrentText("DejaVu Sans");
        qobject_cast<QComboBox*>(get(M::kEncodingList))->setCurrentText("ISO-8859-2");
        qobject_cast<QCheckBox*>(get(M::kCompressBox))->setChecked(true);
        qobject_cast<QCheckBox*>(get(M::kCombineDuplexBox))->setChecked(true);
        qobject_cast<QAbstractButton*>(get(M::kOkButton))->click();
        return shown.result();
    }
    qobject_cast<QAbstractButton*>(static_cast<D&>(shown).control(D::kMoreSettingsButton))->click();
    return clickOk(shown);
}

struct CliRun {
    int status = -1;
    QByteArray err;
};

CliRun runCli(const QStringList& args) {
    QProcess cli;
    cli.start(QStringLiteral(LEAFWRIGHT_CLI), args);
    if (!cli.waitForFinished(60000)) return {};
    return {cli.exitCode(), cli.readAllStandardError()};
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

    // The settings after the twelve lines go from the window's dialog into
    // last.tcf, which the command line takes without a word; loaded in the
    // window again, the file is written back byte for byte.
    void theSettingsAfterTheTwelveLinesTravelFromTheWindowToTheCommandLine() {
        QTemporaryDir program;
        QTemporaryDir docs;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(program));
        seams.modal.setHandler(chooseMoreSettings);
        dialog.sendCommand(kCmdOptions);
        QVERIFY(seams.notices.shown().empty());
        const QString last = program.filePath("last.tcf");
        const QByteArray written = readAll(last);
        QVERIFY2(written.endsWith("FALSE\r\nwrap=word\r\nwrap-mark=none\r\nform-feed=page\r\n"
                                  "header={title}|{file}|{page}/{pages}\r\n"
                                  "footer=\xc2\xa9 {date}\r\nheader-rule=FALSE\r\n"
                                  "line-numbers=1\r\nline-number-start=100\r\n"
                                  "font-family=DejaVu Sans\r\nencoding=ISO-8859-2\r\n"
                                  "compress=TRUE\r\ncombine-duplex=TRUE\r\n"),
                 written.constData());
        QCOMPARE(readConfigFile(last.toStdString()).more, dialog.settings().chosen.more);

        const QString source = writeFile(docs.filePath("notes.txt"), "a line\r\n");
        const CliRun run = runCli({"convert", "--config", last, source});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.status, 0);

        // Loaded in another window and confirmed: the same file again.
        QTemporaryDir otherProgram;
        MainDialog other(foldersIn(otherProgram));
        seams.files.nextFileNames({last});
        seams.modal.setHandler(clickOk);
        other.sendCommand(kCmdLoadConfigurationFile);
        QCOMPARE(other.settings().chosen.more, dialog.settings().chosen.more);
        QCOMPARE(readAll(otherProgram.filePath("last.tcf")), written);
    }

    // A line the window refuses or ignores is refused or ignored by the
    // command line, with the same words.
    void badAndUnknownLinesGetTheSameWordsInTheWindowAndOnTheCommandLine() {
        QTemporaryDir folder;
        PlatformSeams seams;
        const QByteArray twelve =
            "A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n"
            "FALSE\r\nFALSE\r\nDefault Path\r\nFALSE\r\n";
        const QString source = writeFile(folder.filePath("notes.txt"), "a line\r\n");
        for (const QByteArray& lines :
             {QByteArray("wrap=char\r\nline-numbers=ten\r\n"), QByteArray("compress=on\r\n"),
              QByteArray("gutter=12\r\nwrap=word\r\n")}) {
            const QString path = writeFile(folder.filePath("odd.tcf"), twelve + lines);
            const CliRun run = runCli({"convert", "--force", "--config", path, source});
            // "leafwright-cli: FILE: line N: ..." with its line end.
            const QByteArray prefix = "leafwright-cli: " + path.toUtf8() + ": ";
            QVERIFY2(run.err.startsWith(prefix), run.err.constData());
            const QString cause = QString::fromUtf8(run.err.mid(prefix.size()).trimmed());
            QVERIFY(cause.startsWith("line 1"));

            seams.notices.clear();
            const std::size_t dialogsBefore = seams.modal.ran().size();
            MainDialog window(foldersIn(folder));
            seams.files.nextFileNames({path});
            seams.modal.setHandler(clickOk);
            window.sendCommand(kCmdLoadConfigurationFile);
            QCOMPARE(seams.notices.shown().size(), std::size_t(1));
            QVERIFY2(seams.notices.shown()[0].contains(cause),
                     qPrintable(seams.notices.shown()[0] + " / " + cause));
            // Refused by both, or taken by both after the warning.
            const bool refused = run.status == 2;
            QCOMPARE(seams.modal.ran().size() == dialogsBefore, refused);
            QCOMPARE(window.settings().chosen.more.wrap, refused ? WrapMode::None : WrapMode::Word);
            if (!refused) QCOMPARE(run.status, 0);
        }
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
