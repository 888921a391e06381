// Options, Load Configuration File and Default Configuration File: the
// settings dialog is run by the modal seam, the configuration files are real
// files in a program folder of the test's own.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "core/settings/config_file.h"
#include "core/settings/messages.h"
#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/settings/settings_dialog.h"
#include "desktop/widgets/pick_list.h"

using namespace leafwright;
using namespace leafwright::testing;

namespace {

using D = SettingsDialog;

const QByteArray kDefaultLines =
    "A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n"
    "FALSE\r\nFALSE\r\nDefault Path\r\nFALSE\r\n";

D& asSettings(QDialog& shown) {
    return static_cast<D&>(shown);
}
QString listValue(QDialog& shown, int id) {
    return qobject_cast<PickList*>(asSettings(shown).control(id))->takeValue();
}
QLineEdit* field(QDialog& shown, int id) {
    return qobject_cast<QLineEdit*>(asSettings(shown).control(id));
}
QAbstractButton* button(QDialog& shown, int id) {
    return qobject_cast<QAbstractButton*>(asSettings(shown).control(id));
}
int clickOk(QDialog& shown) {
    button(shown, D::kOkButton)->click();
    return shown.result();
}
int clickCancel(QDialog& shown) {
    button(shown, D::kCancelButton)->click();
    return shown.result();
}

// Runs the given steps, one per run of the dialog, in order.
ModalDialogSeam::Handler inTurn(std::vector<std::function<int(QDialog&)>> steps) {
    auto next = std::make_shared<std::size_t>(0);
    return [steps = std::move(steps), next](QDialog& shown) {
        if (*next >= steps.size()) return clickCancel(shown);
        return steps[(*next)++](shown);
    };
}

}  // namespace

class SettingsCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        other_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid() && other_->isValid());
        // The commands must not depend on where the current folder was.
        QDir::setCurrent(other_->path());
    }

    void firstUseCreatesBothFilesAndShowsTheDefaults() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        bool checked = false;
        seams.modal.setHandler([&](QDialog& shown) {
            verifyDefaultsShown(shown);
            checked = true;
            return clickOk(shown);
        });
        dialog.sendCommand(kCmdOptions);
        QVERIFY(checked);
        QCOMPARE(seams.modal.ran().size(), std::size_t(1));
        // Confirmed without a "Creater" text: the producer is empty.
        QCOMPARE(dialog.settings().docProducer, std::string());
        QCOMPARE(dialog.settings().baseFont, std::string("Times-Roman"));
        QCOMPARE(readAll(path("last.tcf")), kDefaultLines);
    }

    void cancelChangesNeitherTheSettingsNorTheFile() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        writeFile(path("last.tcf"), "Letter  [612,792]\r\nCourier\r\n");
        seams.modal.setHandler([](QDialog& shown) {
            qobject_cast<PickList*>(asSettings(shown).control(D::kFontList))
                ->showValue("Helvetica");
            return clickCancel(shown);
        });
        dialog.sendCommand(kCmdHiddenOptions);
        // Only the missing default.tcf is created.
        QCOMPARE(readAll(path("last.tcf")), QByteArray("Letter  [612,792]\r\nCourier\r\n"));
        QCOMPARE(readAll(path("default.tcf")), kDefaultLines);
        QCOMPARE(dialog.settings().baseFont, std::string("Times-Roman"));
        QCOMPARE(dialog.settings().docProducer, ConversionSettings::startUpProducer());
    }

    void anIllegalTopMarginIsReportedAndCorrected() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        seams.modal.setHandler(inTurn({
            [](QDialog& shown) {
                field(shown, D::kTopMarginField)->setText("4x");
                return clickOk(shown);
            },
            [&](QDialog& shown) {
                // Reopened with the text kept, and nothing written yet.
                [&] { QCOMPARE(field(shown, D::kTopMarginField)->text(), QString("4x")); }();
                [&] { QCOMPARE(readAll(path("last.tcf")), kDefaultLines); }();
                field(shown, D::kTopMarginField)->setText("40");
                return clickOk(shown);
            },
        }));
        dialog.sendCommand(kCmdToolbarSettings);
        QCOMPARE(seams.messages.shown(), std::vector<int>{kTopMarginIllegal});
        QCOMPARE(messageText(kTopMarginIllegal), std::string("The top margin are illegal!"));
        QCOMPARE(seams.modal.ran().size(), std::size_t(2));
        QCOMPARE(dialog.settings().topMarginValue, 40);
        QCOMPARE(dialog.settings().textTop, std::string("802"));
        QVERIFY(readAll(path("last.tcf")).contains("\r\n40\r\n36\r\n"));
    }

    // A top margin that leaves no line on the page is refused when OK is
    // pressed, not later for each file: the dialog comes back, and neither
    // the settings nor last.tcf take the margin.
    void aMarginThatLeavesNoLineIsRefusedAtOk() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        seams.modal.setHandler(inTurn({
            [](QDialog& shown) {
                field(shown, D::kTopMarginField)->setText("842");
                return clickOk(shown);
            },
            [&](QDialog& shown) {
                [&] { QCOMPARE(field(shown, D::kTopMarginField)->text(), QString("842")); }();
                [&] { QCOMPARE(readAll(path("last.tcf")), kDefaultLines); }();
                return clickCancel(shown);
            },
        }));
        dialog.sendCommand(kCmdOptions);
        QCOMPARE(seams.notices.shown(), std::vector<QString>{"No line fits on the page."});
        QVERIFY(seams.messages.shown().empty());
        QCOMPARE(seams.modal.ran().size(), std::size_t(2));
        QCOMPARE(dialog.settings().topMarginValue, ConversionSettings().topMarginValue);
        QCOMPARE(readAll(path("last.tcf")), kDefaultLines);
    }

    // A rejection followed by Cancel undoes everything the confirmed values
    // would have changed, not just what came after the failing check.
    void aMissingFolderThenCancelLeavesEverythingAsItWas() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        seams.modal.setHandler(inTurn({
            [](QDialog& shown) {
                button(shown, D::kCustomizeBox)->click();
                field(shown, D::kFolderField)->setText("no/such/folder");
                qobject_cast<PickList*>(asSettings(shown).control(D::kFontList))
                    ->showValue("Courier");
                field(shown, D::kTopMarginField)->setText("100");
                return clickOk(shown);
            },
            [](QDialog& shown) {
                [&] {
                    QCOMPARE(field(shown, D::kFolderField)->text(), QString("no/such/folder"));
                }();
                return clickCancel(shown);
            },
        }));
        dialog.sendCommand(kCmdOptions);
        QCOMPARE(seams.messages.shown(), std::vector<int>{kPathDoesNotExist});
        QCOMPARE(messageText(kPathDoesNotExist), std::string("The path dose not exist!"));
        QCOMPARE(readAll(path("last.tcf")), kDefaultLines);
        const ConversionSettings startUp;
        QCOMPARE(dialog.settings().baseFont, startUp.baseFont);
        QCOMPARE(dialog.settings().topMarginValue, startUp.topMarginValue);
        QCOMPARE(dialog.settings().textTop, startUp.textTop);
        QCOMPARE(dialog.settings().docProducer, startUp.docProducer);
        QCOMPARE(dialog.settings().chosen.font, std::string());
    }

    void aLoadedFileIsShownAndRecordedInLast() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        QVERIFY(QDir(dir_->path()).mkdir("out"));
        // A relative folder means one in the program folder, although the file
        // dialog has moved the current folder to where the file was picked.
        const QByteArray lines =
            "A5  [421,595]\r\nCourier\r\n10\r\nRed\r\nYellow\r\n90\r\n7\r\n8\r\n"
            "TRUE\r\nTRUE\r\nout\r\nTRUE\r\n";
        seams.files.nextFileNames({writeFile(other_->filePath("mine.tcf"), lines)});
        seams.modal.setHandler(inTurn({[](QDialog& shown) {
            auto* group = asSettings(shown).control(D::kCustomPageModeGroup);
            [&] { QVERIFY(!group->isEnabled()); }();
            [&] { QVERIFY(button(shown, D::kSelfAdaptationBox)->isChecked()); }();
            return clickOk(shown);
        }}));
        dialog.sendCommand(kCmdLoadConfigurationFile);
        QCOMPARE(seams.files.requests().front().filterText,
                 QString("Configuration File(*.tcf)|*.tcf;|"));
        QCOMPARE(seams.modal.ran().size(), std::size_t(1));
        QCOMPARE(dialog.settings().chosen.selfAdaptation, 1);
        QCOMPARE(dialog.settings().outputFolder, path("out").toStdString());
        QCOMPARE(dialog.settings().textRgb, std::string("1 0 0"));
        QCOMPARE(readAll(path("last.tcf")), lines);

        // Cancel in the file dialog changes nothing and opens no dialog.
        seams.files.nextCancel();
        dialog.sendCommand(kCmdLoadConfigurationFile);
        QCOMPARE(seams.modal.ran().size(), std::size_t(1));
    }

    // A file naming a font family this machine lacks: OK refuses it, as the
    // command line would, and the dialog comes back for a correction.
    void aLoadedFamilyThatIsNotInstalledIsRefusedAtOk() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        const QByteArray lines = kDefaultLines + "font-family=No Such Family Anywhere\r\n";
        seams.files.nextFileNames({writeFile(other_->filePath("family.tcf"), lines)});
        seams.modal.setHandler(inTurn({clickOk, clickCancel}));
        dialog.sendCommand(kCmdLoadConfigurationFile);
        QCOMPARE(seams.modal.ran().size(), std::size_t(2));
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QVERIFY2(seams.notices.shown().front().contains("\"No Such Family Anywhere\""),
                 qPrintable(seams.notices.shown().front()));
        QCOMPARE(dialog.settings().chosen.more.fontFamily, std::string());
        QVERIFY(!QFile::exists(path("last.tcf")));
    }

    void aMissingDefaultFileIsReportedWithoutADialog() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        dialog.sendCommand(kCmdDefaultConfigurationFile);
        QVERIFY(seams.modal.ran().empty());
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QVERIFY(seams.notices.shown().front().contains(path("default.tcf")));
        QVERIFY(!QFile::exists(path("default.tcf")));
        QVERIFY(!QFile::exists(path("last.tcf")));

        // Present, it is shown, and confirming it records it as last.tcf.
        writeFile(path("default.tcf"), kDefaultLines);
        seams.modal.setHandler(clickOk);
        dialog.sendCommand(kCmdDefaultConfigurationFile);
        QCOMPARE(seams.modal.ran().size(), std::size_t(1));
        QCOMPARE(readAll(path("last.tcf")), kDefaultLines);
    }

    // An emptied margin is stored as "0", the folder as typed.
    void lastKeepsTheMarginsAfterTheEmptyRuleAndTheFolderAsTyped() {
        PlatformSeams seams;
        MainDialog dialog(foldersIn(*dir_));
        QVERIFY(QDir(dir_->path()).mkdir("pdfs"));
        seams.modal.setHandler([](QDialog& shown) {
            field(shown, D::kTopMarginField)->setText("");
            field(shown, D::kLeftMarginField)->setText("50");
            button(shown, D::kCustomizeBox)->click();
            field(shown, D::kFolderField)->setText("pdfs");
            return clickOk(shown);
        });
        dialog.sendCommand(kCmdOptions);
        QCOMPARE(
            readAll(path("last.tcf")),
            QByteArray("A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n0\r\n0\r\n"
                       "FALSE\r\nTRUE\r\npdfs\r\nFALSE\r\n"));
        QCOMPARE(dialog.settings().leftMarginValue, 0);
        QCOMPARE(dialog.settings().outputFolder, path("pdfs").toStdString());
    }

  private:
    void verifyDefaultsShown(QDialog& shown) {
        QCOMPARE(QDir::currentPath(), dir_->path());
        QCOMPARE(readAll(path("last.tcf")), kDefaultLines);
        QCOMPARE(readAll(path("default.tcf")), kDefaultLines);
        QCOMPARE(listValue(shown, D::kPageStyleList), QString("A4  [595,842]"));
        QCOMPARE(listValue(shown, D::kFontList), QString("Times-Roman"));
        QCOMPARE(listValue(shown, D::kFontSizeList), QString("14"));
        QCOMPARE(listValue(shown, D::kTextColorList), QString("Black"));
        QCOMPARE(listValue(shown, D::kPageColorList), QString("White"));
        QCOMPARE(listValue(shown, D::kRotationList), QString("0"));
        QCOMPARE(field(shown, D::kTopMarginField)->text(), QString("36"));
        QCOMPARE(field(shown, D::kLeftMarginField)->text(), QString("36"));
        QVERIFY(!button(shown, D::kLandscapeBox)->isChecked());
        QCOMPARE(field(shown, D::kFolderField)->text(), QString("Default Path"));
        QVERIFY(!field(shown, D::kFolderField)->isEnabled());
        QVERIFY(!button(shown, D::kSelfAdaptationBox)->isChecked());
        for (int id : {D::kAuthorField, D::kTitleField, D::kSubjectField, D::kKeywordsField,
                       D::kCreatorField})
            QCOMPARE(field(shown, id)->text(), QString());
    }

    QString path(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QTemporaryDir> other_;
};

QTEST_MAIN(SettingsCommandsTest)
#include "settings_commands_test.moc"
