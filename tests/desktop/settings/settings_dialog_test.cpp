// The settings dialog driven through the seams of the platform services: no
// window opens, the dialog is run by the modal seam and its buttons clicked.
#include "desktop/settings/settings_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "core/settings/config_file.h"
#include "desktop/desktop_fixture.h"
#include "desktop/widgets/limited_text_field.h"
#include "desktop/widgets/notice_box.h"
#include "desktop/widgets/pick_list.h"

using namespace leafwright;
using namespace leafwright::testing;

namespace {

using D = SettingsDialog;

PickList* list(const D& dialog, int id) {
    return qobject_cast<PickList*>(dialog.control(id));
}
QLineEdit* field(const D& dialog, int id) {
    return qobject_cast<QLineEdit*>(dialog.control(id));
}
QAbstractButton* button(const D& dialog, int id) {
    return qobject_cast<QAbstractButton*>(dialog.control(id));
}

// A configuration file's twelve values, as the tests write them.
ChosenValues fileValues(int customFolder, const std::string& folder, int selfAdaptation) {
    ChosenValues values = defaultConfigValues();
    values.customFolder = customFolder;
    values.folder = folder;
    values.selfAdaptation = selfAdaptation;
    return values;
}

const QByteArray kDefaultLines =
    "A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n"
    "FALSE\r\nFALSE\r\nDefault Path\r\nFALSE\r\n";

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    // A fresh program folder for every test.
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void listsHoldTheTableEntriesInDialogOrder() {
        D dialog(folder());
        QCOMPARE(
            list(dialog, D::kPageStyleList)->entries(),
            QStringList({"A3  [842,1190]", "A4  [595,842]", "A5  [421,595]", "Letter  [612,792]",
                         "Legal  [1224,792]", "Executive  [540,720]", "Statement  [396,612]"}));
        QCOMPARE(list(dialog, D::kFontList)->entries(),
                 QStringList({"Courier", "Courier-Oblique", "Courier-Bold", "Times-Roman",
                              "Times-Italic", "Times-Bold", "Helvetica", "Helvetica-Oblique",
                              "Helvetica-Bold"}));
        QCOMPARE(list(dialog, D::kFontSizeList)->entries(),
                 QStringList({"4", "5", "6", "7", "8", "9", "10", "11", "12", "14", "16", "18",
                              "20", "24", "30", "36"}));
        QCOMPARE(list(dialog, D::kRotationList)->entries(), QStringList({"0", "90", "180", "270"}));
        const QStringList sorted = {"Black",   "Blue", "Cyan",  "Green",
                                    "Magenta", "Red",  "White", "Yellow"};
        QCOMPARE(list(dialog, D::kTextColorList)->entries(), sorted);
        QCOMPARE(list(dialog, D::kPageColorList)->entries(), sorted);
        QCOMPARE(dialog.windowTitle(), QString("Setting Dialog"));
    }

    void aSortedListPlacesEveryEntryWhateverTheOrderOfAdding() {
        PickList colours(PickList::Order::Sorted);
        for (const char* name : {"Yellow", "White", "Black", "Red"}) colours.addEntry(name);
        QCOMPARE(colours.entries(), QStringList({"Black", "Red", "White", "Yellow"}));
        QCOMPARE(colours.currentIndex(), -1);
        colours.showValue("white");
        colours.addEntry("Blue");
        QCOMPARE(colours.takeValue(), QString("White"));
    }

    void showingSelectsTheFirstEntryBeginningWithTheValueIgnoringCase() {
        const QStringList fonts = {"Courier", "Courier-Bold", "Helvetica"};
        QCOMPARE(firstEntryBeginningWith(fonts, "courier-b"), 1);
        QCOMPARE(firstEntryBeginningWith(fonts, "COURIER"), 0);
        QCOMPARE(firstEntryBeginningWith(fonts, "Times"), -1);
        QCOMPARE(firstEntryBeginningWith(fonts, "Helvetica-Bold"), -1);

        PlatformSeams seams;
        D dialog(folder());
        ChosenValues values = defaultConfigValues();
        values.pageStyle = "a4  [595,842]";
        values.font = "Nowhere";
        values.fontSize = "1";  // "10" is the first size beginning with 1
        dialog.setFileValues(values);
        seams.modal.setHandler(clickOk);
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(dialog.values().pageStyle, std::string("A4  [595,842]"));
        QCOMPARE(dialog.values().font, std::string());  // nothing was selected
        QCOMPARE(dialog.values().fontSize, std::string("10"));

        // A value without a match keeps the selection of the earlier run.
        values.font = "Courier";
        dialog.setFileValues(values);
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        values.font = "Nowhere";
        dialog.setFileValues(values);
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(dialog.values().font, std::string("Courier"));
    }

    void runReturnsTheSeventeenValuesOnOkAndCancelKeepsThemUntaken() {
        PlatformSeams seams;
        D dialog(folder());
        dialog.setFileValues(defaultConfigValues());
        seams.modal.setHandler([](QDialog& shown) {
            auto& dialog = static_cast<D&>(shown);
            field(dialog, D::kAuthorField)->setText("Ann");
            field(dialog, D::kCreatorField)->setText("Maker");
            list(dialog, D::kTextColorList)->setCurrentIndex(1);
            return clickOk(shown);
        });
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(seams.modal.ran(), std::vector<QString>{"leafwright::SettingsDialog"});
        QCOMPARE(dialog.values().author, std::string("Ann"));
        QCOMPARE(dialog.values().creator, std::string("Maker"));
        QCOMPARE(dialog.values().textColor, std::string("Blue"));
        QCOMPARE(dialog.values().topMargin, std::string("36"));

        seams.modal.setHandler([](QDialog& shown) {
            field(static_cast<D&>(shown), D::kTitleField)->setText("Dropped");
            button(static_cast<D&>(shown), D::kCancelButton)->click();
            return shown.result();
        });
        QCOMPARE(dialog.run(), int(QDialog::Rejected));
        QCOMPARE(dialog.values().title, std::string());
        QCOMPARE(dialog.values().author, std::string("Ann"));
    }

    void openingFollowsCustomizeAndSelfAdaptation() {
        PlatformSeams seams;
        D dialog(folder());
        // What the dialog shows when it opens: folder text, folder field
        // enabled, custom page mode group enabled.
        QString shownFolder;
        bool folderEnabled = false;
        bool groupEnabled = false;
        seams.modal.setHandler([&](QDialog& shown) {
            auto& dialog = static_cast<D&>(shown);
            shownFolder = field(dialog, D::kFolderField)->text();
            folderEnabled = field(dialog, D::kFolderField)->isEnabled();
            groupEnabled = dialog.control(D::kCustomPageModeGroup)->isEnabled();
            // Only the inner group goes; the rest of the page mode stays.
            if (dialog.control(D::kLeftMarginField)->isEnabled() != groupEnabled ||
                dialog.control(D::kPageStyleList)->isEnabled() != groupEnabled ||
                !dialog.control(D::kRotationList)->isEnabled() ||
                !dialog.control(D::kSelfAdaptationBox)->isEnabled() ||
                !dialog.control(D::kFontList)->isEnabled())
                return int(QDialog::Rejected);
            return clickOk(shown);
        });

        dialog.setFileValues(fileValues(0, "/somewhere", 1));
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(shownFolder, QString("Default Path"));
        QVERIFY(!folderEnabled);
        QVERIFY(!groupEnabled);
        QCOMPARE(dialog.values().folder, std::string("Default Path"));
        // Margins are still taken while their group is disabled.
        QCOMPARE(dialog.values().leftMargin, std::string("36"));

        dialog.setFileValues(fileValues(1, "/somewhere", 0));
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(shownFolder, QString("/somewhere"));
        QVERIFY(folderEnabled);
        QVERIFY(groupEnabled);
    }

    void customizeOnThenOffLeavesDefaultPath() {
        D dialog(folder());
        dialog.setFileValues(fileValues(1, "/earlier", 0));
        open(dialog);
        button(dialog, D::kCustomizeBox)->click();  // off
        QCOMPARE(field(dialog, D::kFolderField)->text(), QString("Default Path"));
        QVERIFY(!field(dialog, D::kFolderField)->isEnabled());
        button(dialog, D::kCustomizeBox)->click();  // on
        QCOMPARE(field(dialog, D::kFolderField)->text(), QString());
        QVERIFY(field(dialog, D::kFolderField)->isEnabled());
        QCOMPARE(dialog.focusWidget(), dialog.control(D::kFolderField));
        QCOMPARE(dialog.values().customFolder, 1);
        button(dialog, D::kCustomizeBox)->click();  // off again
        QCOMPARE(dialog.values().folder, std::string("Default Path"));
        QCOMPARE(dialog.values().customFolder, 0);
    }

    void selfAdaptationClicksSwitchTheCustomPageModeGroup() {
        D dialog(folder());
        dialog.setFileValues(defaultConfigValues());
        open(dialog);
        field(dialog, D::kSubjectField)->setText("kept");
        button(dialog, D::kSelfAdaptationBox)->click();
        QVERIFY(!dialog.control(D::kCustomPageModeGroup)->isEnabled());
        QVERIFY(!dialog.control(D::kLandscapeBox)->isEnabled());
        QCOMPARE(dialog.values().selfAdaptation, 1);
        QCOMPARE(field(dialog, D::kSubjectField)->text(), QString("kept"));
        button(dialog, D::kSelfAdaptationBox)->click();
        QVERIFY(dialog.control(D::kTopMarginField)->isEnabled());
        QCOMPARE(dialog.values().selfAdaptation, 0);
    }

    void marginFieldsLimitTypingButShowLongerTexts() {
        D dialog(folder());
        ChosenValues values = defaultConfigValues();
        values.leftMargin = "12345";
        dialog.setFileValues(values);
        open(dialog);
        auto* top = field(dialog, D::kTopMarginField);
        top->clear();
        QTest::keyClicks(top, "123456");
        QCOMPARE(top->text(), QString("1234"));

        auto* left = field(dialog, D::kLeftMarginField);
        QCOMPARE(left->text(), QString("12345"));
        left->end(false);
        QTest::keyClicks(left, "6");
        QCOMPARE(left->text(), QString("12345"));
        left->home(false);
        left->del();
        QCOMPARE(left->text(), QString("2345"));
        QTest::keyClicks(left, "9");
        QCOMPARE(left->text(), QString("2345"));
    }

    void aTooLongMarginFailsOkWithANoticeAndFocus() {
        PlatformSeams seams;
        NoticeBoxSeam notices;
        D dialog(folder());
        ChosenValues values = defaultConfigValues();
        values.leftMargin = "12345";
        dialog.setFileValues(values);
        // The state after the first OK, while the dialog is still open.
        int resultAfterFirstOk = -1;
        QWidget* focusAfterFirstOk = nullptr;
        ChosenValues takenAfterFirstOk;
        std::size_t noticesAfterFirstOk = 0;
        seams.modal.setHandler([&](QDialog& shown) {
            auto& dialog = static_cast<D&>(shown);
            field(dialog, D::kTitleField)->setText("after the margin");
            field(dialog, D::kAuthorField)->setText("before the margin");
            button(dialog, D::kOkButton)->click();
            resultAfterFirstOk = dialog.result();
            focusAfterFirstOk = dialog.focusWidget();
            takenAfterFirstOk = dialog.values();
            noticesAfterFirstOk = notices.shown().size();
            field(dialog, D::kLeftMarginField)->setText("50");
            return clickOk(shown);
        });
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(resultAfterFirstOk, int(QDialog::Rejected));
        QCOMPARE(noticesAfterFirstOk, std::size_t(1));
        QCOMPARE(notices.shown(), std::vector<QString>{tooManyCharactersText(4)});
        QCOMPARE(focusAfterFirstOk, dialog.control(D::kLeftMarginField));
        // The take stopped at the long field: the title after it was not taken.
        QCOMPARE(takenAfterFirstOk.author, std::string("before the margin"));
        QCOMPARE(takenAfterFirstOk.leftMargin, std::string("12345"));
        QCOMPARE(takenAfterFirstOk.title, std::string());
        QCOMPARE(dialog.values().leftMargin, std::string("50"));
        QCOMPARE(dialog.values().title, std::string("after the margin"));
    }

    void aButtonAfterAFailedTakeKeepsWhatTheUserEntered() {
        NoticeBoxSeam notices;
        D dialog(folder());
        ChosenValues values = defaultConfigValues();
        values.leftMargin = "12345";
        dialog.setFileValues(values);
        open(dialog);
        field(dialog, D::kTitleField)->setText("typed");
        button(dialog, D::kSelfAdaptationBox)->click();
        QCOMPARE(notices.shown().size(), std::size_t(1));
        QCOMPARE(field(dialog, D::kTitleField)->text(), QString("typed"));
        QCOMPARE(field(dialog, D::kLeftMarginField)->text(), QString("12345"));
    }

    void saveCompletesTheNameAndWritesTheTwelveLines() {
        PlatformSeams seams;
        D dialog(folder());
        dialog.setFileValues(defaultConfigValues());
        open(dialog);
        field(dialog, D::kAuthorField)->setText("not in the file");
        seams.files.nextFileNames({path("setup")});
        button(dialog, D::kSaveButton)->click();
        QCOMPARE(readAll(path("setup.tcf")), kDefaultLines);
        QCOMPARE(seams.files.requests().at(0).form, FileDialogSeam::Form::Save);
        QCOMPARE(seams.files.requests().at(0).filterText,
                 QString("Configuration File(*.tcf)|*.tcf;|"));

        button(dialog, D::kLandscapeBox)->click();
        list(dialog, D::kPageStyleList)->setCurrentIndex(3);
        seams.files.nextFileNames({path("SETUP.TCF")});
        button(dialog, D::kSaveButton)->click();
        const QList<QByteArray> lines = readAll(path("SETUP.TCF.tcf")).split('\n');
        QCOMPARE(lines.size(), 13);
        QCOMPARE(lines[0], QByteArray("Letter  [612,792]\r"));
        QCOMPARE(lines[8], QByteArray("TRUE\r"));
        QVERIFY(!QFile::exists(path("SETUP.TCF")));

        seams.files.nextCancel();
        button(dialog, D::kSaveButton)->click();
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files).size(), 2);
    }

    void aSaveThatCannotWriteIsReportedNamingTheFile() {
        PlatformSeams seams;
        NoticeBoxSeam notices;
        D dialog(folder());
        dialog.setFileValues(defaultConfigValues());
        open(dialog);
        seams.files.nextFileNames({path("missing/setup.tcf")});
        button(dialog, D::kSaveButton)->click();
        QCOMPARE(notices.shown().size(), std::size_t(1));
        QVERIFY(notices.shown()[0].contains('"' + path("missing/setup.tcf") + '"'));
    }

    void loadShowsTheFileAndCancelChangesNothing() {
        PlatformSeams seams;
        D dialog(folder());
        dialog.setFileValues(defaultConfigValues());
        open(dialog);
        field(dialog, D::kKeywordsField)->setText("mine");

        seams.files.nextCancel();
        button(dialog, D::kLoadButton)->click();
        QCOMPARE(list(dialog, D::kFontList)->takeValue(), QString("Times-Roman"));
        QVERIFY(field(dialog, D::kFolderField)->text() == "Default Path");

        writeFile(path("custom.tcf"),
                  "letter  [612,792]\nCourier\n10\nBlue\nYellow\n90\n50\n40\nTRUE\nTRUE\n/out\n"
                  "TRUE\n");
        seams.files.nextFileNames({path("custom.tcf")});
        button(dialog, D::kLoadButton)->click();
        QCOMPARE(seams.files.requests().back().form, FileDialogSeam::Form::OpenOne);
        QCOMPARE(list(dialog, D::kPageStyleList)->takeValue(), QString("Letter  [612,792]"));
        QCOMPARE(list(dialog, D::kFontList)->takeValue(), QString("Courier"));
        QCOMPARE(list(dialog, D::kPageColorList)->takeValue(), QString("Yellow"));
        QCOMPARE(field(dialog, D::kLeftMarginField)->text(), QString("40"));
        QCOMPARE(field(dialog, D::kFolderField)->text(), QString("/out"));
        QVERIFY(field(dialog, D::kFolderField)->isEnabled());
        QVERIFY(!dialog.control(D::kCustomPageModeGroup)->isEnabled());
        QVERIFY(button(dialog, D::kLandscapeBox)->isChecked());
        QCOMPARE(field(dialog, D::kKeywordsField)->text(), QString("mine"));

        // Customize off in the file: "Default Path" whatever line 11 holds.
        writeFile(path("plain.tcf"), QByteArray(kDefaultLines).replace("Default Path", "/ignored"));
        seams.files.nextFileNames({path("plain.tcf")});
        button(dialog, D::kLoadButton)->click();
        QCOMPARE(field(dialog, D::kFolderField)->text(), QString("Default Path"));
        QVERIFY(!field(dialog, D::kFolderField)->isEnabled());
        QVERIFY(dialog.control(D::kCustomPageModeGroup)->isEnabled());
    }

    void defaultsReloadsDefaultTcfFromTheProgramFolder() {
        PlatformSeams seams;
        NoticeBoxSeam notices;
        D dialog(folder());
        dialog.setFileValues(fileValues(1, "/out", 1));
        open(dialog);
        field(dialog, D::kAuthorField)->setText("Ann");

        // Missing: reported, and the dialog keeps its values.
        button(dialog, D::kDefaultsButton)->click();
        QCOMPARE(notices.shown().size(), std::size_t(1));
        QVERIFY(notices.shown()[0].contains('"' + path("default.tcf") + '"'));
        QCOMPARE(field(dialog, D::kFolderField)->text(), QString("/out"));

        // The current folder is elsewhere; default.tcf still comes from the
        // program folder.
        writeFile(path("default.tcf"), kDefaultLines);
        QTemporaryDir elsewhere;
        writeFile(elsewhere.path() + "/default.tcf", "Legal  [612,1008]\n");
        const QString before = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        button(dialog, D::kDefaultsButton)->click();
        QDir::setCurrent(before);
        QCOMPARE(notices.shown().size(), std::size_t(1));
        QCOMPARE(list(dialog, D::kPageStyleList)->takeValue(), QString("A4  [595,842]"));
        QCOMPARE(field(dialog, D::kFolderField)->text(), QString("Default Path"));
        QVERIFY(!field(dialog, D::kFolderField)->isEnabled());
        QVERIFY(dialog.control(D::kCustomPageModeGroup)->isEnabled());
        QCOMPARE(field(dialog, D::kAuthorField)->text(), QString("Ann"));
    }

    void browseChecksCustomizeAndFillsTheFolder() {
        PlatformSeams seams;
        D dialog(folder());
        dialog.setFileValues(defaultConfigValues());
        open(dialog);
        seams.folders.nextFolder("/picked/folder");
        button(dialog, D::kBrowseButton)->click();
        QCOMPARE(seams.folders.titles(), std::vector<QString>{"Selectadirectory"});
        QVERIFY(button(dialog, D::kCustomizeBox)->isChecked());
        QCOMPARE(field(dialog, D::kFolderField)->text(), QString("/picked/folder"));
        QVERIFY(field(dialog, D::kFolderField)->isEnabled());
        QCOMPARE(dialog.values().folder, std::string("/picked/folder"));

        // Closing the browser without a choice leaves the field empty.
        button(dialog, D::kBrowseButton)->click();
        QCOMPARE(field(dialog, D::kFolderField)->text(), QString());
        QCOMPARE(dialog.values().customFolder, 1);
    }

  private:
    static int clickOk(QDialog& shown) {
        button(static_cast<D&>(shown), D::kOkButton)->click();
        return shown.result();
    }

    // Opens the dialog as run() does, without the modal loop: the buttons
    // are then clicked directly.
    static void open(D& dialog) {
        auto leaveOpen = [](QDialog&) { return int(QDialog::Rejected); };
        if (ModalDialogSeam* active = ModalDialogSeam::active()) {
            active->setHandler(leaveOpen);
            dialog.run();
        } else {
            ModalDialogSeam seam(leaveOpen);
            dialog.run();
        }
    }

    QString folder() const { return dir_->path() + '/'; }
    QString path(const QString& name) const { return dir_->path() + '/' + name; }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
