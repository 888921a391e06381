// "More settings...": the second dialog of the settings dialog, driven
// through the seams; its settings travel with the others through OK, Cancel,
// Save, Load, Defaults and last.tcf.
#include "desktop/settings/more_settings_dialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <functional>
#include <memory>
#include <random>

#include "core/settings/config_file.h"
#include "desktop/app/command_ids.h"
#include "desktop/settings/settings_dialog.h"
#include "desktop_fixture.h"

using namespace leafwright;
using namespace leafwright::testing;

namespace {

using D = SettingsDialog;
using M = MoreSettingsDialog;

const QByteArray kDefaultLines =
    "A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n"
    "FALSE\r\nFALSE\r\nDefault Path\r\nFALSE\r\n";

template <typename Widget>
Widget* in(QDialog& shown, int id) {
    QWidget* control = nullptr;
    if (auto* more = qobject_cast<M*>(&shown)) control = more->control(id);
    if (auto* settings = qobject_cast<D*>(&shown)) control = settings->control(id);
    return qobject_cast<Widget*>(control);
}

int click(QDialog& shown, int id) {
    in<QAbstractButton>(shown, id)->click();
    return shown.result();
}

// A handler for both dialogs: `main` for the settings dialog, `more` for
// the one its button opens (nested inside the first).
ModalDialogSeam::Handler bothDialogs(std::function<int(QDialog&)> main,
                                     std::function<int(QDialog&)> more) {
    return [main = std::move(main), more = std::move(more)](QDialog& shown) {
        return qobject_cast<M*>(&shown) ? more(shown) : main(shown);
    };
}

// Opens "More settings...", then presses the button given.
std::function<int(QDialog&)> throughMore(int mainButton) {
    return [mainButton](QDialog& shown) {
        click(shown, D::kMoreSettingsButton);
        return click(shown, mainButton);
    };
}

// Changes of every kind of control in the second dialog, then OK.
int changeEverything(QDialog& shown) {
    in<QComboBox>(shown, M::kWrapList)->setCurrentIndex(3);
    in<QCheckBox>(shown, M::kWrapMarkBox)->setChecked(false);
    in<QCheckBox>(shown, M::kFormFeedBox)->setChecked(true);
    in<QLineEdit>(shown, M::kHeaderField)->setText(QString::fromUtf8("{file}|\xe2\x80\x94|{page}"));
    in<QCheckBox>(shown, M::kHeaderRuleBox)->setChecked(false);
    in<QSpinBox>(shown, M::kLineNumbersBox)->setValue(5);
    in<QSpinBox>(shown, M::kLineNumberStartBox)->setValue(0);
    in<QComboBox>(shown, M::kEncodingList)->setCurrentText(" KOI8-R ");
    in<QCheckBox>(shown, M::kCompressBox)->setChecked(true);
    return click(shown, M::kOkButton);
}

MoreSettings everythingChanged() {
    MoreSettings more;
    more.wrap = WrapMode::WordChar;
    more.wrapMark = WrapMark::None;
    more.formFeed = FormFeedMode::Page;
    more.header = "{file}|\xe2\x80\x94|{page}";
    more.headerRule = false;
    more.lineNumbers = 5;
    more.lineNumberStart = 0;
    more.encoding = "KOI8-R";
    more.compress = true;
    return more;
}

}  // namespace

class MoreSettingsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    // The button joins the bottom row in the gap between Defaults and OK:
    // below the document information, its label whole, touching no other.
    void theButtonStandsInTheBottomRowBesideTheOthers() {
        D dialog(folder());
        QWidget* more = dialog.control(D::kMoreSettingsButton);
        QVERIFY(more != nullptr);
        const QRect place = more->geometry();
        for (int id :
             {D::kSaveButton, D::kLoadButton, D::kDefaultsButton, D::kOkButton, D::kCancelButton}) {
            const QRect other = dialog.control(id)->geometry();
            QCOMPARE(place.top(), other.top());
            QVERIFY(!place.intersects(other));
        }
        QVERIFY(place.left() > dialog.control(D::kDefaultsButton)->geometry().right());
        QVERIFY(place.right() < dialog.control(D::kOkButton)->geometry().left());
        QVERIFY(place.top() > dialog.control(D::kCreatorField)->geometry().bottom());
        auto* button = qobject_cast<QAbstractButton*>(more);
        QCOMPARE(button->text(), QString("More settings..."));
        QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) < place.width());
    }

    // Every setting shown and taken back unchanged, for many settings: each
    // control shows its value and OK gives it back as it was.
    void anySettingsAreShownAndTakenBackAsTheyWere() {
        PlatformSeams seams;
        std::mt19937 random(7);
        const char* const families[] = {"", "DejaVu Sans", "DejaVu Sans Mono", "Noto Serif CJK JP"};
        const char* const encodings[] = {"", "auto", "UTF-8", "ISO-8859-15", "koi8-u"};
        const char* const texts[] = {"", "{page}/{pages}", "a|b|c", "\xc3\xa9t\xc3\xa9 {date}"};
        auto any = [&random](int last) {
            return std::uniform_int_distribution<int>(0, last)(random);
        };
        seams.modal.setHandler([](QDialog& shown) { return click(shown, M::kOkButton); });
        for (int round = 0; round < 60; ++round) {
            MoreSettings more;
            more.wrap = static_cast<WrapMode>(any(3));
            more.wrapMark = static_cast<WrapMark>(any(1));
            more.formFeed = static_cast<FormFeedMode>(any(1));
            more.header = texts[any(3)];
            more.footer = texts[any(3)];
            more.headerRule = any(1) == 1;
            more.lineNumbers = any(1) ? any(kLargestLineNumberSetting) : any(3);
            more.lineNumberStart = any(kLargestLineNumberSetting);
            more.fontFamily = families[any(3)];
            more.encoding = encodings[any(4)];
            more.compress = any(1) == 1;
            more.combineDuplex = any(1) == 1;
            M dialog(more);
            QCOMPARE(dialog.run(), int(QDialog::Accepted));
            QVERIFY2(dialog.values() == more, qPrintable(QString::number(round)));
        }
    }

    void okTakesTheSecondDialogsChangesWithTheOthersAndEitherCancelDropsThem() {
        PlatformSeams seams;
        D dialog(folder());
        dialog.setFileValues(defaultConfigValues());

        // Cancel in the second dialog: nothing of it changes.
        seams.modal.setHandler(bothDialogs(throughMore(D::kOkButton), [](QDialog& shown) {
            in<QComboBox>(shown, M::kWrapList)->setCurrentIndex(2);
            return click(shown, M::kCancelButton);
        }));
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(dialog.values().more, MoreSettings{});

        seams.modal.setHandler(bothDialogs(throughMore(D::kOkButton), changeEverything));
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(dialog.values().more, everythingChanged());
        QCOMPARE(
            seams.modal.ran(),
            (std::vector<QString>{"leafwright::SettingsDialog", "leafwright::MoreSettingsDialog",
                                  "leafwright::SettingsDialog", "leafwright::MoreSettingsDialog"}));

        // Through the Options command: Cancel of the settings dialog drops
        // the second dialog's changes, OK applies them and keeps them in
        // last.tcf.
        MainDialog window(foldersIn(*dir_));
        seams.modal.setHandler(bothDialogs(throughMore(D::kCancelButton), changeEverything));
        window.sendCommand(kCmdOptions);
        QCOMPARE(window.settings().chosen.more, MoreSettings{});
        QCOMPARE(readAll(path("last.tcf")), kDefaultLines);

        seams.modal.setHandler(bothDialogs(throughMore(D::kOkButton), changeEverything));
        window.sendCommand(kCmdOptions);
        QCOMPARE(window.settings().chosen.more, everythingChanged());
        QCOMPARE(readAll(path("last.tcf")),
                 kDefaultLines +
                     "wrap=word-char\r\nwrap-mark=none\r\nform-feed=page\r\n"
                     "header={file}|\xe2\x80\x94|{page}\r\nheader-rule=FALSE\r\n"
                     "line-numbers=5\r\nline-number-start=0\r\nencoding=KOI8-R\r\n"
                     "compress=TRUE\r\n");

        // The next Options shows what last.tcf kept.
        MoreSettings shownNext;
        seams.modal.setHandler(bothDialogs(throughMore(D::kCancelButton), [&](QDialog& shown) {
            shownNext = static_cast<M&>(shown).values();
            return click(shown, M::kCancelButton);
        }));
        window.sendCommand(kCmdOptions);
        QCOMPARE(shownNext, everythingChanged());
    }

    void aValueTheSettingDoesNotTakeKeepsTheSecondDialogOpen() {
        PlatformSeams seams;
        M dialog(MoreSettings{});
        int firstResult = -1;
        QWidget* focusAfterFirst = nullptr;
        seams.modal.setHandler([&](QDialog& shown) {
            in<QComboBox>(shown, M::kEncodingList)->setCurrentText("KLINGON-8");
            in<QLineEdit>(shown, M::kHeaderField)->setText("{page}");
            firstResult = click(shown, M::kOkButton);
            focusAfterFirst = shown.focusWidget();
            in<QComboBox>(shown, M::kEncodingList)->setCurrentText("auto");
            return click(shown, M::kOkButton);
        });
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(firstResult, int(QDialog::Rejected));
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        QCOMPARE(seams.notices.shown()[0],
                 QString::fromStdString(moreSettingRefusal("encoding")) + '.');
        QVERIFY(focusAfterFirst == dialog.control(M::kEncodingList) ||
                focusAfterFirst->parentWidget() == dialog.control(M::kEncodingList));
        QCOMPARE(dialog.values().encoding, std::string("auto"));
        QCOMPARE(dialog.values().header, std::string("{page}"));

        // A family this machine lacks is refused alike, naming it.
        std::string takenAfterFirst;
        seams.modal.setHandler([&](QDialog& shown) {
            in<QComboBox>(shown, M::kFontFamilyList)->setCurrentText("No Such Family Anywhere");
            click(shown, M::kOkButton);
            takenAfterFirst = dialog.values().fontFamily;
            in<QComboBox>(shown, M::kFontFamilyList)->setCurrentText("");
            return click(shown, M::kOkButton);
        });
        QCOMPARE(dialog.run(), int(QDialog::Accepted));
        QCOMPARE(takenAfterFirst, std::string());
        QCOMPARE(seams.notices.shown().size(), std::size_t(2));
        QVERIFY2(seams.notices.shown()[1].contains("\"No Such Family Anywhere\" is not installed"),
                 qPrintable(seams.notices.shown()[1]));
        QCOMPARE(dialog.values().fontFamily, std::string());
    }

    void saveLoadAndDefaultsCarryTheLinesAfterTheTwelfth() {
        PlatformSeams seams;
        D dialog(folder());
        dialog.setFileValues(defaultConfigValues());
        open(dialog);

        // Load: the file's settings; a file without them gives the defaults.
        writeFile(path("wrapped.tcf"), kDefaultLines + "wrap=char\r\nline-numbers=10\r\n");
        seams.files.nextFileNames({path("wrapped.tcf")});
        click(dialog, D::kLoadButton);
        QCOMPARE(dialog.values().more.wrap, WrapMode::Char);
        QCOMPARE(dialog.values().more.lineNumbers, 10);

        // Save: the lines after the twelve, as loaded.
        seams.files.nextFileNames({path("copy")});
        click(dialog, D::kSaveButton);
        QCOMPARE(readAll(path("copy.tcf")), readAll(path("wrapped.tcf")));

        // A bad value: reported naming the file, the line and the values;
        // the dialog stays as it was.
        writeFile(path("bad.tcf"), QByteArray(kDefaultLines).replace("Times-Roman", "Courier") +
                                       "wrap=char\r\nform-feed=eject\r\n");
        seams.files.nextFileNames({path("bad.tcf")});
        click(dialog, D::kLoadButton);
        QCOMPARE(seams.notices.shown().size(), std::size_t(1));
        const QString refused = seams.notices.shown()[0];
        QVERIFY2(refused.contains('"' + path("bad.tcf") + '"'), qPrintable(refused));
        QVERIFY2(refused.contains("line 14: form-feed must be ignore or page"),
                 qPrintable(refused));
        QCOMPARE(in<QComboBox>(dialog, D::kFontList)->currentText(), QString("Times-Roman"));
        QCOMPARE(dialog.values().more.lineNumbers, 10);

        // An unknown name: a notice, and the rest of the file taken.
        writeFile(path("later.tcf"), kDefaultLines + "columns=2\r\ncompress=TRUE\r\n");
        seams.files.nextFileNames({path("later.tcf")});
        click(dialog, D::kLoadButton);
        QCOMPARE(seams.notices.shown().size(), std::size_t(2));
        const QString ignored = seams.notices.shown()[1];
        QVERIFY2(ignored.contains('"' + path("later.tcf") + '"'), qPrintable(ignored));
        QVERIFY2(ignored.contains("line 13: unknown setting \"columns\" ignored"),
                 qPrintable(ignored));
        QVERIFY(ignored.contains("combine-duplex"));
        QVERIFY(dialog.values().more.compress);
        QCOMPARE(dialog.values().more.wrap, WrapMode::None);

        // Defaults: default.tcf of the twelve lines gives the defaults.
        writeFile(path("default.tcf"), kDefaultLines);
        click(dialog, D::kDefaultsButton);
        QCOMPARE(dialog.values().more, MoreSettings{});
    }

  private:
    // Opens the dialog as run() does, without the modal loop.
    static void open(D& dialog) {
        ModalDialogSeam* active = ModalDialogSeam::active();
        active->setHandler([](QDialog&) { return int(QDialog::Rejected); });
        dialog.run();
    }

    QString folder() const { return dir_->path() + '/'; }
    QString path(const QString& name) const { return dir_->path() + '/' + name; }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(MoreSettingsDialogTest)
#include "more_settings_dialog_test.moc"
