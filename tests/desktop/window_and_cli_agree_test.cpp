// From the settings dialog to a converted file: the PDF the window writes is
// byte for byte the one leafwright-cli writes from the last.tcf the window
// recorded.
#include <QAbstractButton>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include "desktop/app/command_ids.h"
#include "desktop/app/file_list.h"
#include "desktop_fixture.h"
#include "desktop/widgets/pick_list.h"
#include "desktop/settings/settings_dialog.h"

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
};

QTEST_MAIN(WindowAndCliAgreeTest)
#include "window_and_cli_agree_test.moc"
