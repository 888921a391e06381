#include "desktop/app/main_dialog.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QListWidgetItem>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/settings/product_info.h"
#include "core/version.h"
#include "desktop/app/command_ids.h"
#include "desktop/platform/window_memory.h"
#include "desktop/widgets/dialog_units.h"
#include "desktop/widgets/drop_down_button.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/list_run.h"
#include "desktop/widgets/pictures.h"
#include "desktop/widgets/run_progress_panel.h"
#include "desktop/widgets/window_font.h"
#include "desktop/widgets/window_size.h"

namespace leafwright {

namespace {

// The pictures are drawn from their SVGs at the screen's pixel ratio; the
// captions are text under them, in the palette's colours.
constexpr QSize kToolbarPictureSize(32, 32);

struct ToolbarEntry {
    int command;
    const char* picture;
    const char* caption;
    const char* shortcut;  // the key of the command, shown in the tooltip; null for none
};

// Left to right; the last one carries the drop-down arrow.
constexpr ToolbarEntry kToolbar[] = {
    {kCmdToolbarAddFiles, "toolbar-add-files", "Add Files", "Ctrl+O"},
    {kCmdToolbarRemove, "toolbar-remove", "Remove", "Del"},
    {kCmdToolbarClearList, "toolbar-clear-list", "Clear list", "Ctrl+Shift+Del"},
    {kCmdToolbarSettings, "toolbar-settings", "Settings", "Ctrl+,"},
    {kCmdToolbarConvert, "toolbar-convert", "Convert", "Ctrl+Return"},
    // F1 opens Help, so the Info button has no key of its own.
    {kCmdToolbarInfo, "toolbar-info", "Info", nullptr},
    {kCmdToolbarTools, "toolbar-tools", "Tools", "Ctrl+T"},
};

// The keys of the commands, and the menu items that show them. Each key
// sends the toolbar's command, which no enable rule ever greys, so that the
// key works whatever state the menu was last shown in; the handlers cope
// with empty lists themselves.
struct KeyEntry {
    const char* key;
    int command;   // sent by the key
    int menuItem;  // shows the key; 0 for none
};

constexpr KeyEntry kKeys[] = {
    {"Ctrl+O", kCmdToolbarAddFiles, kCmdAddFiles},
    {"Del", kCmdToolbarRemove, kCmdRemoveFiles},
    {"Ctrl+Shift+Del", kCmdToolbarClearList, kCmdClearList},
    {"Ctrl+Return", kCmdToolbarConvert, kCmdConvertFiles},
    {"Ctrl+,", kCmdToolbarSettings, kCmdOptions},
    {"F1", kCmdShowHelp, kCmdShowHelp},
    {"Ctrl+P", kCmdPrint, kCmdPrint},
    {"Ctrl+Q", kCmdExit, kCmdExit},
    {"Ctrl+T", kCmdToolbarTools, 0},
};

}  // namespace

const QHash<int, MainDialog::Handler>& MainDialog::routingTable() {
    static const QHash<int, Handler> table = {
        {kCmdConvertFiles, &MainDialog::OnConvertFiles},
        {kCmdToolbarConvert, &MainDialog::OnConvertFiles},
        {kCmdConvertIntoOnePdf, &MainDialog::OnConvertIntoOnePdf},
        {kCmdAddFiles, &MainDialog::OnAddFiles},
        {kCmdToolbarAddFiles, &MainDialog::OnAddFiles},
        {kCmdHiddenAddFiles, &MainDialog::OnAddFiles},
        {kCmdRemoveFiles, &MainDialog::OnRemoveFiles},
        {kCmdToolbarRemove, &MainDialog::OnRemoveFiles},
        {kCmdHiddenRemoveFiles, &MainDialog::OnRemoveFiles},
        {kCmdClearList, &MainDialog::OnClearList},
        {kCmdToolbarClearList, &MainDialog::OnClearList},
        {kCmdExit, &MainDialog::OnExit},
        {kCmdOptions, &MainDialog::OnOptions},
        {kCmdToolbarSettings, &MainDialog::OnOptions},
        {kCmdHiddenOptions, &MainDialog::OnOptions},
        {kCmdLoadConfigurationFile, &MainDialog::OnLoadConfigurationFile},
        {kCmdDefaultConfigurationFile, &MainDialog::OnDefaultConfigurationFile},
        {kCmdUnspool, &MainDialog::OnUnspool},
        {kCmdDropDownUnspool, &MainDialog::OnUnspool},
        {kCmdToolbarTools, &MainDialog::OnPlusTools},
        {kCmdShowHelp, &MainDialog::OnShowHelp},
        {kCmdAbout, &MainDialog::OnAbout},
        {kCmdToolbarInfo, &MainDialog::OnAbout},
        {kCmdPrint, &MainDialog::OnPrint},
    };
    return table;
}

// The rules apply to menu items only; toolbar and hidden buttons stay enabled
// and their handlers cope with empty lists themselves.
const QHash<int, MainDialog::EnableRule>& MainDialog::enableRules() {
    static const QHash<int, EnableRule> rules = {
        {kCmdConvertFiles, &MainDialog::OnUpdateConvertFiles},
        {kCmdConvertIntoOnePdf, &MainDialog::OnUpdateConvertFiles},
        {kCmdRemoveFiles, &MainDialog::OnUpdateRemoveFiles},
        {kCmdClearList, &MainDialog::OnUpdateClearList},
    };
    return rules;
}

MainDialog::MainDialog(ProgramFolders folders, QWidget* parent)
    : QDialog(parent), folders_(std::move(folders)) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(mainDialogFont());
    setWindowIcon(programIcon());
    setWindowTitle(QStringLiteral("%1 v%2").arg(QString::fromLatin1(product::kName),
                                                QString::fromLatin1(version::kShown)));
    WindowMemory::useFolder(folders_.programFolder);
    buildMenus();
    buildClientArea();
    buildShortcuts();
    // Every menu, the toolbar's and the menu bar's overflow menus too.
    for (QMenu* menu : findChildren<QMenu*>()) inheritWindowFont(menu);
    setAcceptDrops(true);
    // Keyboard focus starts in the source list.
    sourceList_->setFocus();
}

MainDialog::~MainDialog() = default;

void MainDialog::buildMenus() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);

    auto addCommand = [this](QMenu* menu, const char* text, int id) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { sendCommand(id); });
        menuActions_.insert(id, action);
    };
    auto addMenu = [this](const char* title) {
        QMenu* menu = menuBar_->addMenu(QString::fromLatin1(title));
        inheritWindowFont(menu);
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { OnMenuSelect(menu); });
        return menu;
    };

    QMenu* file = addMenu("File");
    addCommand(file, "Convert Files", kCmdConvertFiles);
    addCommand(file, "Convert into One PDF...", kCmdConvertIntoOnePdf);
    file->addSeparator();
    addCommand(file, "Add Files", kCmdAddFiles);
    addCommand(file, "Remove Files", kCmdRemoveFiles);
    file->addSeparator();
    addCommand(file, "Clear list", kCmdClearList);
    file->addSeparator();
    addCommand(file, "Print...", kCmdPrint);
    file->addSeparator();
    addCommand(file, "Exit", kCmdExit);

    QMenu* settings = addMenu("Settings");
    addCommand(settings, "Options", kCmdOptions);
    settings->addSeparator();
    addCommand(settings, "Load Configuration File", kCmdLoadConfigurationFile);
    addCommand(settings, "Default Configuration File", kCmdDefaultConfigurationFile);

    QMenu* plusTools = addMenu("Plus-tools");
    addCommand(plusTools, "Unspool v1.0 Beta", kCmdUnspool);

    QMenu* help = addMenu("Help");
    addCommand(help, "Help", kCmdShowHelp);
    help->addSeparator();
    addCommand(help, "About", kCmdAbout);

    toolsDropDown_ = new QMenu(this);
    inheritWindowFont(toolsDropDown_);
    QAction* unspool = toolsDropDown_->addAction(QStringLiteral("Unspool v1.0 Beta"));
    unspool->setData(int(kCmdDropDownUnspool));
    connect(unspool, &QAction::triggered, this, [this] { sendCommand(kCmdDropDownUnspool); });
}

void MainDialog::buildClientArea() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);

    const DialogUnits units(font());
    auto* client = new QWidget(this);
    layout->addWidget(client, 1);
    auto* clientLayout = new QVBoxLayout(client);
    const QRect margin = units.rect(0, 0, 5, 3);
    clientLayout->setContentsMargins(margin.width(), margin.height(), margin.width(),
                                     margin.height());

    auto* band = new QFrame(client);
    band->setFrameStyle(QFrame::Box | QFrame::Sunken);
    auto* bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(2, 2, 2, 2);
    clientLayout->addWidget(band);

    auto* group = new QGroupBox(QStringLiteral("File List"), client);
    auto* groupLayout = new QVBoxLayout(group);
    clientLayout->addWidget(group, 1);

    sourceList_ = new FileList(FileList::Order::Ascending,
                               pictureIcon(QStringLiteral("list-text-document")), group);
    sourceList_->setObjectName(QStringLiteral("sourceList"));
    sourceList_->setAccessibleName(QStringLiteral("Text files to convert"));
    resultList_ = new FileList(FileList::Order::Ascending,
                               pictureIcon(QStringLiteral("list-pdf-document")), group);
    resultList_->setObjectName(QStringLiteral("resultList"));
    resultList_->setAccessibleName(QStringLiteral("PDF files written"));
    groupLayout->addWidget(sourceList_);
    groupLayout->addWidget(resultList_);
    connect(sourceList_, &FileList::listDoubleClicked, this, [this] { OnDblclkSourceList(); });
    connect(resultList_, &FileList::listDoubleClicked, this, [this] { OnDblclkResultList(); });
    buildResultListMenu();

    runPanel_ = new RunProgressPanel(this);
    layout->addWidget(runPanel_);
    listRun_ = new ListRun(this, runPanel_, *sourceList_, *resultList_);

    buildHiddenButtons(client);
    buildToolbar(band);
    // The lists first, then the toolbar: Tab reaches every control.
    setTabOrder(sourceList_, resultList_);
    QWidget* previous = resultList_;
    for (const ToolbarEntry& entry : kToolbar) {
        setTabOrder(previous, toolbarButtons_.value(entry.command));
        previous = toolbarButtons_.value(entry.command);
    }

    // It never gets so small that a toolbar button is cut off or a list
    // shows fewer than a few rows.
    toolbar_->setMinimumWidth(toolbar_->sizeHint().width());
    for (FileList* list : {sourceList_, resultList_})
        list->setMinimumHeight(list->heightForRows(3));

    // The window opens at its size in dialog units, or at the size it had
    // when it was last closed, within the screen; it can be resized and
    // maximised, and the lists grow with it.
    const QSize designed =
        units.rect(0, 0, 372, 224).size() + QSize(0, menuBar_->sizeHint().height());
    restoreWindowSize(*this, QStringLiteral("main"), designed);
}

void MainDialog::buildResultListMenu() {
    // The PDFs written can be printed from the list itself.
    resultListMenu_ = new QMenu(this);
    inheritWindowFont(resultListMenu_);
    QAction* print = resultListMenu_->addAction(QStringLiteral("Print..."));
    print->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    connect(print, &QAction::triggered, this, [this] { sendCommand(kCmdPrint); });
    resultList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(resultList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& where) {
        // A click on a row that is not selected chooses that row, as a
        // file manager does.
        if (QListWidgetItem* row = resultList_->itemAt(where); row && !row->isSelected()) {
            resultList_->clearSelection();
            row->setSelected(true);
        }
        resultListMenu_->popup(resultList_->viewport()->mapToGlobal(where));
    });
}

void MainDialog::buildToolbar(QWidget* band) {
    auto* toolbar = new QToolBar(band);
    toolbar_ = toolbar;
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setAccessibleName(QStringLiteral("Toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(kToolbarPictureSize);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    band->layout()->addWidget(toolbar);

    for (const ToolbarEntry& entry : kToolbar) {
        const int id = entry.command;
        QToolButton* button = nullptr;
        if (id == kCmdToolbarTools) {
            auto* tools = new DropDownButton(toolbar);
            tools->setMenu(toolsDropDown_);
            connect(tools, &DropDownButton::dropDownRequested, this, [this] { OnToolsDropDown(); });
            toolsButton_ = tools;
            button = tools;
        } else {
            button = new QToolButton(toolbar);
        }
        button->setIcon(pictureIcon(QString::fromLatin1(entry.picture)));
        button->setIconSize(kToolbarPictureSize);
        button->setText(QString::fromLatin1(entry.caption));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        // Tab reaches the buttons; Enter on one still reaches the window,
        // which adds files.
        button->setFocusPolicy(Qt::TabFocus);
        button->setAccessibleName(QString::fromLatin1(entry.caption));
        QString tip = QString::fromLatin1(entry.caption);
        if (entry.shortcut != nullptr)
            tip += QStringLiteral(" (%1)").arg(QKeySequence(QString::fromLatin1(entry.shortcut))
                                                   .toString(QKeySequence::NativeText));
        button->setToolTip(tip);
        connect(button, &QToolButton::clicked, this, [this, id] { sendCommand(id); });
        toolbar->addWidget(button);
        toolbarButtons_.insert(id, button);
    }
}

void MainDialog::buildShortcuts() {
    for (const KeyEntry& entry : kKeys) {
        const QKeySequence key(QString::fromLatin1(entry.key));
        // The key itself lives on the window, so that it works while no menu
        // is open and whatever state the menu item was last given.
        auto* action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = entry.command;
        connect(action, &QAction::triggered, this, [this, id] { sendCommand(id); });
        addAction(action);
        // The menu item shows it; its own shortcut acts only inside the open
        // menu, so the two never compete.
        if (QAction* item = menuAction(entry.menuItem)) {
            item->setShortcut(key);
            item->setShortcutContext(Qt::WidgetShortcut);
        }
    }
}

void MainDialog::buildHiddenButtons(QWidget* client) {
    const DialogUnits units(font());
    struct Hidden {
        int id;
        QRect where;
    };
    const Hidden hidden[] = {
        {kCmdHiddenAddFiles, units.rect(360, 45, 10, 10)},
        {kCmdHiddenRemoveFiles, units.rect(360, 65, 10, 10)},
        {kCmdHiddenOptions, units.rect(360, 55, 10, 10)},
    };
    for (const Hidden& entry : hidden) {
        auto* button = new QPushButton(client);
        button->setGeometry(entry.where);
        button->setAutoDefault(false);
        button->setDefault(entry.id == kCmdHiddenAddFiles);
        button->hide();
        const int id = entry.id;
        connect(button, &QPushButton::clicked, this, [this, id] { sendCommand(id); });
        hiddenButtons_.insert(id, button);
    }
}

bool MainDialog::sendCommand(int id) {
    // Nothing starts while a run lasts; the window is disabled then, but a
    // key or a command sent from outside could still arrive.
    if (listRun_ != nullptr && listRun_->isRunning()) return false;
    const auto route = routingTable().constFind(id);
    if (route == routingTable().constEnd()) return false;
    (this->*route.value())();
    return true;
}

void MainDialog::enterProgramFolder() {
    QDir::setCurrent(folders_.programFolder);
}

QAction* MainDialog::menuAction(int id) const {
    return menuActions_.value(id, nullptr);
}

QToolButton* MainDialog::toolbarButton(int id) const {
    return toolbarButtons_.value(id, nullptr);
}

QPushButton* MainDialog::hiddenButton(int id) const {
    return hiddenButtons_.value(id, nullptr);
}

void MainDialog::OnMenuSelect(QMenu* menu) {
    const auto& rules = enableRules();
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const auto rule = rules.constFind(action->data().toInt());
        // Items without a rule keep their state.
        if (rule != rules.constEnd()) action->setEnabled((this->*rule.value())());
    }
}

bool MainDialog::OnUpdateConvertFiles() const {
    return sourceList_->rowCount() > 0;
}

bool MainDialog::OnUpdateRemoveFiles() const {
    return sourceList_->firstSelectedRow() >= 0 || resultList_->firstSelectedRow() >= 0;
}

bool MainDialog::OnUpdateClearList() const {
    return sourceList_->rowCount() > 0 || resultList_->rowCount() > 0;
}

void MainDialog::OnToolsDropDown() {
    if (!toolsButton_) return;
    const QPoint below = toolsButton_->mapToGlobal(toolsButton_->rect().bottomLeft());
    toolsButton_->setDown(true);
    toolsDropDown_->exec(below);
    toolsButton_->setDown(false);
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
    // During a run Escape cancels it and the window stays.
    if (listRun_->takesEscape(event)) return;
    // Enter anywhere in the window adds files. Qt's dialog would only press a
    // visible default button, and the one that adds files is hidden.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier) {
        event->accept();
        sendCommand(kCmdHiddenAddFiles);
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::OnExit() {
    accept();
}

void MainDialog::accept() {
    closeWith(QDialog::Accepted);
}

void MainDialog::reject() {
    closeWith(QDialog::Rejected);
}

void MainDialog::closeWith(int result) {
    if (listRun_ != nullptr && listRun_->isRunning()) {
        // Cancel first; the run's end closes the window.
        closeAfterRun_ = result;
        listRun_->cancel();
        return;
    }
    done(result);
}

void MainDialog::done(int result) {
    keepWindowSize(*this, QStringLiteral("main"));
    QDialog::done(result);
}

}  // namespace leafwright
