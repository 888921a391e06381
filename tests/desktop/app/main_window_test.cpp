// The main window: routing of every command source, the enable rules of the
// menu items, the keyboard, the names a screen reader hears, and the window's
// frame.
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "desktop/app/command_ids.h"
#include "desktop/desktop_fixture.h"
#include "desktop/platform/window_memory.h"
#include "desktop/settings/settings_dialog.h"
#include "desktop/widgets/file_list.h"

using namespace leafwright;
using namespace leafwright::testing;

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    QMenu* menuTitled(MainDialog& dialog, const QString& title) {
        for (QAction* action : dialog.menuBar()->actions())
            if (action->text() == title) return action->menu();
        return nullptr;
    }
    // What the user sees of a menu: item texts, "-" for a separator.
    QStringList itemsOf(QMenu* menu) {
        QStringList items;
        for (QAction* action : menu->actions())
            items << (action->isSeparator() ? "-" : action->text());
        return items;
    }
    void showMenu(MainDialog& dialog, const QString& title) {
        emit menuTitled(dialog, title)->aboutToShow();
    }

  private slots:
    void windowHasItsTitleGrowsAndRemembersItsSize() {
        QTemporaryDir dir;
        PlatformSeams seams;
        QSize opened;
        {
            MainDialog dialog(foldersIn(dir));
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Leafwright v3.5"));
            QVERIFY(dialog.minimumSize() != dialog.maximumSize());
            QVERIFY(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
            QVERIFY(!dialog.windowIcon().isNull());
            opened = dialog.size();
            const int listWidth = dialog.sourceList()->width();
            dialog.resize(opened + QSize(200, 100));
            QTRY_VERIFY(dialog.sourceList()->width() > listWidth);
            dialog.reject();
        }
        MainDialog again(foldersIn(dir));
        QCOMPARE(again.size(), opened + QSize(200, 100));
    }

    // A size kept at another scale or on a larger screen is shrunk to the
    // screen it opens on, and the window lies on that screen.
    void aSizeTooLargeForTheScreenIsFitted() {
        QTemporaryDir dir;
        PlatformSeams seams;
        WindowMemory::useFolder(dir.path());
        WindowMemory::keepWindowSize("main", QSize(20000, 12000));
        MainDialog dialog(foldersIn(dir));
        const QRect screen = dialog.screen()->availableGeometry();
        QVERIFY2(dialog.width() <= screen.width() && dialog.height() <= screen.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(dialog.width()).arg(dialog.height())));
        QVERIFY(dialog.width() >= dialog.minimumWidth());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(screen.contains(dialog.geometry()));
    }

    // However small it is made, every toolbar button shows whole and each
    // list shows a few rows.
    void theSmallestWindowKeepsEveryButtonAndBothLists() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.resize(1, 1);
        QTRY_COMPARE(dialog.size(), dialog.minimumSize());
        for (int id :
             {kCmdToolbarAddFiles, kCmdToolbarRemove, kCmdToolbarClearList, kCmdToolbarSettings,
              kCmdToolbarConvert, kCmdToolbarInfo, kCmdToolbarTools}) {
            QToolButton* button = dialog.toolbarButton(id);
            QVERIFY2(button->isVisible(), qPrintable(button->text()));
            QVERIFY(dialog.toolbar()->rect().contains(button->geometry()));
            QVERIFY(button->width() >= button->sizeHint().width());
        }
        for (FileList* list : {dialog.sourceList(), dialog.resultList()})
            QVERIFY(list->height() >= list->heightForRows(3));
    }

    // Every command is a control Tab reaches or a key, and every control has
    // a name that says what it is.
    void keyboardAndScreenReaderReachEverything() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.sourceList()->accessibleName(), QStringLiteral("Text files to convert"));
        QCOMPARE(dialog.resultList()->accessibleName(), QStringLiteral("PDF files written"));
        // The source list takes the keyboard first; Tab goes on to the result
        // list and every toolbar button, then back.
        QCOMPARE(QApplication::focusWidget(), dialog.sourceList());
        QStringList reached;
        for (int step = 0; step < 9; ++step) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(!focus->accessibleName().isEmpty());
            reached << focus->accessibleName();
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(reached,
                 QStringList({"Text files to convert", "PDF files written", "Add Files", "Remove",
                              "Clear list", "Settings", "Convert", "Info", "Tools"}));
        QCOMPARE(QApplication::focusWidget(), dialog.sourceList());
    }

    // A screen reader hears each field of the settings dialog by its own
    // label, not by the group around it.
    void settingsFieldsAreNamedByTheirLabels() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        QStringList names;
        seams.modal.setHandler([&](QDialog& shown) {
            auto& settings = static_cast<SettingsDialog&>(shown);
            for (int id : {SettingsDialog::kLeftMarginField, SettingsDialog::kTopMarginField,
                           SettingsDialog::kAuthorField, SettingsDialog::kTitleField,
                           SettingsDialog::kSubjectField, SettingsDialog::kKeywordsField,
                           SettingsDialog::kCreatorField, SettingsDialog::kPageStyleList})
                names << settings.control(id)->accessibleName();
            return int(QDialog::Rejected);
        });
        dialog.sendCommand(kCmdOptions);
        QCOMPARE(names, QStringList({"Left margin", "Top margin", "Author", "Title", "Subject",
                                     "Keywords", "Creater", "Page style"}));
    }

    void menusHoldTheirItemsInOrderWithoutMnemonics() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        QStringList titles;
        for (QAction* action : dialog.menuBar()->actions()) titles << action->text();
        QCOMPARE(titles, QStringList({"File", "Settings", "Plus-tools", "Help"}));
        QCOMPARE(itemsOf(menuTitled(dialog, "File")),
                 QStringList({"Convert Files", "Convert into One PDF...", "-", "Add Files",
                              "Remove Files", "-", "Clear list", "-", "Print...", "-", "Exit"}));
        QCOMPARE(
            itemsOf(menuTitled(dialog, "Settings")),
            QStringList({"Options", "-", "Load Configuration File", "Default Configuration File"}));
        QCOMPARE(itemsOf(menuTitled(dialog, "Plus-tools")), QStringList({"Unspool v1.0 Beta"}));
        QCOMPARE(itemsOf(menuTitled(dialog, "Help")), QStringList({"Help", "-", "About"}));
        QCOMPARE(itemsOf(dialog.toolsDropDownMenu()), QStringList({"Unspool v1.0 Beta"}));
        for (QAction* action : dialog.findChildren<QAction*>())
            QVERIFY2(!action->text().contains('&'), qPrintable(action->text()));
        // The keys of the commands, shown in their menus.
        const QList<QPair<int, QString>> keys = {
            {kCmdAddFiles, "Ctrl+O"},
            {kCmdRemoveFiles, "Del"},
            {kCmdClearList, "Ctrl+Shift+Del"},
            {kCmdConvertFiles, "Ctrl+Return"},
            {kCmdOptions, "Ctrl+,"},
            {kCmdShowHelp, "F1"},
            {kCmdPrint, "Ctrl+P"},
        };
        for (const auto& [command, key] : keys)
            QCOMPARE(dialog.menuAction(command)->shortcut(), QKeySequence(key));
        // Menus are windows of their own, drawn in the window's font.
        for (QMenu* menu : dialog.findChildren<QMenu*>()) QCOMPARE(menu->font(), dialog.font());
    }

    // A key works whatever state its menu item was last given.
    void keysSendTheirCommands() {
        QTemporaryDir dir;
        PlatformSeams seams;
        RecordingMainDialog dialog(foldersIn(dir));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        showMenu(dialog, "File");  // greys Remove Files: nothing is selected
        dialog.sourceList()->appendRow("/in/a.txt");
        dialog.sourceList()->item(0)->setSelected(true);
        QTest::keyClick(dialog.sourceList(), Qt::Key_Delete);
        QTest::keyClick(dialog.sourceList(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(dialog.sourceList(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(dialog.reached, QStringList({"OnRemoveFiles", "OnAddFiles", "OnConvertFiles"}));
        QCOMPARE(dialog.sourceList()->rowCount(), 0);
    }

    void everySourceReachesItsHandler_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("handler");
        QTest::newRow("menu Convert Files") << int(kCmdConvertFiles) << "OnConvertFiles";
        QTest::newRow("menu Add Files") << int(kCmdAddFiles) << "OnAddFiles";
        QTest::newRow("menu Remove Files") << int(kCmdRemoveFiles) << "OnRemoveFiles";
        QTest::newRow("menu Clear list") << int(kCmdClearList) << "OnClearList";
        QTest::newRow("menu Options") << int(kCmdOptions) << "OnOptions";
        QTest::newRow("menu Load") << int(kCmdLoadConfigurationFile) << "OnLoadConfigurationFile";
        QTest::newRow("menu Default")
            << int(kCmdDefaultConfigurationFile) << "OnDefaultConfigurationFile";
        QTest::newRow("menu Unspool") << int(kCmdUnspool) << "OnUnspool";
        QTest::newRow("menu Help") << int(kCmdShowHelp) << "OnShowHelp";
        QTest::newRow("menu About") << int(kCmdAbout) << "OnAbout";
        QTest::newRow("menu Exit") << int(kCmdExit) << "OnExit";
        QTest::newRow("toolbar Add Files") << int(kCmdToolbarAddFiles) << "OnAddFiles";
        QTest::newRow("toolbar Remove") << int(kCmdToolbarRemove) << "OnRemoveFiles";
        QTest::newRow("toolbar Clear list") << int(kCmdToolbarClearList) << "OnClearList";
        QTest::newRow("toolbar Settings") << int(kCmdToolbarSettings) << "OnOptions";
        QTest::newRow("toolbar Convert") << int(kCmdToolbarConvert) << "OnConvertFiles";
        QTest::newRow("toolbar Info") << int(kCmdToolbarInfo) << "OnAbout";
        QTest::newRow("toolbar Tools") << int(kCmdToolbarTools) << "OnPlusTools";
        QTest::newRow("hidden Add Files") << int(kCmdHiddenAddFiles) << "OnAddFiles";
        QTest::newRow("hidden Remove") << int(kCmdHiddenRemoveFiles) << "OnRemoveFiles";
        QTest::newRow("hidden Options") << int(kCmdHiddenOptions) << "OnOptions";
        QTest::newRow("drop-down Unspool") << int(kCmdDropDownUnspool) << "OnUnspool";
    }

    // The command is sent the way the user sends it: the menu item is
    // triggered, the toolbar button clicked, the hidden button pressed.
    void everySourceReachesItsHandler() {
        QFETCH(int, command);
        QFETCH(QString, handler);
        QTemporaryDir dir;
        PlatformSeams seams;
        RecordingMainDialog dialog(foldersIn(dir));
        if (QAction* item = dialog.menuAction(command)) {
            item->trigger();
        } else if (QToolButton* button = dialog.toolbarButton(command)) {
            QVERIFY(button->isEnabled());
            button->click();
        } else if (QPushButton* hidden = dialog.hiddenButton(command)) {
            QVERIFY(!hidden->isVisible());
            hidden->click();
        } else {
            QCOMPARE(command, int(kCmdDropDownUnspool));
            dialog.toolsDropDownMenu()->actions().first()->trigger();
        }
        QCOMPARE(dialog.reached, QStringList({handler}));
    }

    void dropDownItemAndPlusToolsMenuOpenTheSameWindow() {
        QTemporaryDir dir;
        PlatformSeams seams;
        RecordingMainDialog dialog(foldersIn(dir));
        dialog.toolsDropDownMenu()->actions().first()->trigger();
        dialog.menuAction(kCmdUnspool)->trigger();
        QCOMPARE(dialog.reached, QStringList({"OnUnspool", "OnUnspool"}));
        QVERIFY(!dialog.sendCommand(4242));
    }

    void menuItemsAreGreyedWhileBothListsAreEmpty() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        showMenu(dialog, "File");
        QVERIFY(!dialog.menuAction(kCmdConvertFiles)->isEnabled());
        QVERIFY(!dialog.menuAction(kCmdRemoveFiles)->isEnabled());
        QVERIFY(!dialog.menuAction(kCmdClearList)->isEnabled());
        QVERIFY(dialog.menuAction(kCmdAddFiles)->isEnabled());
        QVERIFY(dialog.menuAction(kCmdExit)->isEnabled());
        // The toolbar never greys its buttons.
        for (int id : {kCmdToolbarConvert, kCmdToolbarRemove, kCmdToolbarClearList})
            QVERIFY(dialog.toolbarButton(id)->isEnabled());
    }

    void rowsInTheResultListOnlyEnableClearButNotConvert() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.resultList()->appendRow("/out/a.pdf");
        showMenu(dialog, "File");
        QVERIFY(!dialog.menuAction(kCmdConvertFiles)->isEnabled());
        QVERIFY(dialog.menuAction(kCmdClearList)->isEnabled());
        QVERIFY(!dialog.menuAction(kCmdRemoveFiles)->isEnabled());

        dialog.resultList()->item(0)->setSelected(true);
        showMenu(dialog, "File");
        QVERIFY(dialog.menuAction(kCmdRemoveFiles)->isEnabled());
    }

    void selectionInTheSourceListEnablesEveryFileItem() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.sourceList()->appendRow("/in/a.txt");
        dialog.sourceList()->item(0)->setSelected(true);
        showMenu(dialog, "File");
        QVERIFY(dialog.menuAction(kCmdConvertFiles)->isEnabled());
        QVERIFY(dialog.menuAction(kCmdRemoveFiles)->isEnabled());
        QVERIFY(dialog.menuAction(kCmdClearList)->isEnabled());
    }

    // The state follows the lists only when the menu is about to show.
    void enabledStateIsRefreshedWhenTheMenuShows() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        showMenu(dialog, "File");
        QVERIFY(!dialog.menuAction(kCmdClearList)->isEnabled());
        dialog.sourceList()->appendRow("/in/a.txt");
        QVERIFY(!dialog.menuAction(kCmdClearList)->isEnabled());
        showMenu(dialog, "Help");
        QVERIFY(!dialog.menuAction(kCmdClearList)->isEnabled());
        showMenu(dialog, "File");
        QVERIFY(dialog.menuAction(kCmdClearList)->isEnabled());
        dialog.sourceList()->deleteAllRows();
        showMenu(dialog, "File");
        QVERIFY(!dialog.menuAction(kCmdClearList)->isEnabled());
    }

    void enterAnywhereOpensAddFilesAndKeepsTheWindow() {
        QTemporaryDir dir;
        PlatformSeams seams;
        RecordingMainDialog dialog(foldersIn(dir));
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QTest::keyClick(dialog.sourceList(), Qt::Key_Return);
        dialog.resultList()->setFocus();
        QTest::keyClick(dialog.resultList(), Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(&dialog, Qt::Key_Return);

        QCOMPARE(dialog.reached, QStringList({"OnAddFiles", "OnAddFiles", "OnAddFiles"}));
        QCOMPARE(seams.files.requests().size(), size_t(3));
        QVERIFY(dialog.isVisible());
        QCOMPARE(finished.count(), 0);
    }

    void escapeEndsTheWindowAtOnce() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.sourceList()->appendRow("/in/a.txt");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(dialog.sourceList(), Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(seams.messages.shown().empty());
    }

    void exitEndsTheWindowWithOk() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.menuAction(kCmdExit)->trigger();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void toolsButtonCarriesADropDownArrow() {
        QTemporaryDir dir;
        PlatformSeams seams;
        MainDialog dialog(foldersIn(dir));
        QToolButton* tools = dialog.toolbarButton(kCmdToolbarTools);
        QCOMPARE(tools->popupMode(), QToolButton::MenuButtonPopup);
        QCOMPARE(tools->menu(), dialog.toolsDropDownMenu());
        QCOMPARE(tools->text(), QStringLiteral("Tools"));
        QCOMPARE(tools->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(tools->toolTip(), QStringLiteral("Tools (Ctrl+T)"));
        // F1 is Help's key, so Info's tooltip names none.
        QCOMPARE(dialog.toolbarButton(kCmdToolbarInfo)->toolTip(), QStringLiteral("Info"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
