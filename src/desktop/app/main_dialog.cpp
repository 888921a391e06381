#include "desktop/app/main_dialog.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include "desktop/app/command_ids.h"
#include "desktop/widgets/dialog_units.h"
#include "desktop/widgets/drop_down_button.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/pictures.h"
#include "core/settings/product_info.h"
#include "core/version.h"

namespace leafwright {

namespace {

constexpr QSize kToolbarPictureSize(62, 42);

struct ToolbarEntry {
    int command;
    const char* picture;
    const char* caption;  // drawn inside the picture; kept for accessibility
};

// Left to right; the last one carries the drop-down arrow.
constexpr ToolbarEntry kToolbar[] = {
    {kCmdToolbarAddFiles, "toolbar-add-files", "Add Files"},
    {kCmdToolbarRemove, "toolbar-remove", "Remove"},
    {kCmdToolbarClearList, "toolbar-clear-list", "Clear list"},
    {kCmdToolbarSettings, "toolbar-settings", "Settings"},
    {kCmdToolbarConvert, "toolbar-convert", "Convert"},
    {kCmdToolbarInfo, "toolbar-info", "Info"},
    {kCmdToolbarTools, "toolbar-tools", "Tools"},
};

QFrame* etchedFrame(QWidget* parent, const QRect& where) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(where);
    return frame;
}

}  // namespace

const QHash<int, MainDialog::Handler>& MainDialog::routingTable() {
    static const QHash<int, Handler> table = {
        {kCmdConvertFiles, &MainDialog::OnConvertFiles},
        {kCmdToolbarConvert, &MainDialog::OnConvertFiles},
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
    };
    return table;
}

// The rules apply to menu items only; toolbar and hidden buttons stay enabled
// and their handlers cope with empty lists themselves.
const QHash<int, MainDialog::EnableRule>& MainDialog::enableRules() {
    static const QHash<int, EnableRule> rules = {
        {kCmdConvertFiles, &MainDialog::OnUpdateConvertFiles},
        {kCmdRemoveFiles, &MainDialog::OnUpdateRemoveFiles},
        {kCmdClearList, &MainDialog::OnUpdateClearList},
    };
    return rules;
}

MainDialog::MainDialog(ProgramFolders folders, QWidget* parent)
    : QDialog(parent), folders_(std::move(folders)) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(mainDialogFont());
    setWindowIcon(programIcon());
    setWindowTitle(QStringLiteral("%1 v%2").arg(QString::fromLatin1(product::kName),
                                                QString::fromLatin1(version::kShown)));
    buildMenus();
    buildClientArea();
    // Keyboard focus starts in the source list; Tab moves between the lists.
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
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { OnMenuSelect(menu); });
        return menu;
    };

    QMenu* file = addMenu("File");
    addCommand(file, "Convert Files", kCmdConvertFiles);
    file->addSeparator();
    addCommand(file, "Add Files", kCmdAddFiles);
    addCommand(file, "Remove Files", kCmdRemoveFiles);
    file->addSeparator();
    addCommand(file, "Clear list", kCmdClearList);
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
    QAction* unspool = toolsDropDown_->addAction(QStringLiteral("Unspool v1.0 Beta"));
    unspool->setData(int(kCmdDropDownUnspool));
    connect(unspool, &QAction::triggered, this, [this] { sendCommand(kCmdDropDownUnspool); });
}

void MainDialog::buildClientArea() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);
    // The window keeps one size: the menu bar above a client area of fixed
    // dialog-unit size.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const DialogUnits units(font());
    auto* client = new QWidget(this);
    client->setFixedSize(units.rect(0, 0, 372, 224).size());
    layout->addWidget(client);

    // Frames first, so that they stay beneath the lists and the toolbar.
    auto* placeholder = etchedFrame(client, units.rect(3, 2, 362, 37));
    placeholder->setEnabled(false);
    placeholder->hide();
    etchedFrame(client, units.rect(1, 1, 369, 41));
    auto* group = new QGroupBox(QStringLiteral("File List"), client);
    group->setGeometry(units.rect(5, 45, 360, 175));

    sourceList_ =
        new FileList(FileList::Order::Ascending,
                     QIcon(picture(QStringLiteral("list-text-document"), QSize(16, 16))), client);
    sourceList_->setObjectName(QStringLiteral("sourceList"));
    sourceList_->setGeometry(units.rect(10, 55, 350, 75));
    resultList_ =
        new FileList(FileList::Order::Ascending,
                     QIcon(picture(QStringLiteral("list-pdf-document"), QSize(16, 16))), client);
    resultList_->setObjectName(QStringLiteral("resultList"));
    resultList_->setGeometry(units.rect(10, 135, 350, 75));
    setTabOrder(sourceList_, resultList_);
    connect(sourceList_, &FileList::listDoubleClicked, this, [this] { OnDblclkSourceList(); });
    connect(resultList_, &FileList::listDoubleClicked, this, [this] { OnDblclkResultList(); });

    buildHiddenButtons(client);
    buildToolbar(client, placeholder->geometry());
}

void MainDialog::buildToolbar(QWidget* client, const QRect& band) {
    auto* toolbar = new QToolBar(client);
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(kToolbarPictureSize);
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setGeometry(band);

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
        button->setIcon(QIcon(picture(QString::fromLatin1(entry.picture), kToolbarPictureSize)));
        button->setIconSize(kToolbarPictureSize);
        button->setAutoRaise(true);
        // Like a toolbar of the platform: buttons never take the keyboard focus,
        // so Enter always reaches the window.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAccessibleName(QString::fromLatin1(entry.caption));
        connect(button, &QToolButton::clicked, this, [this, id] { sendCommand(id); });
        toolbar->addWidget(button);
        toolbarButtons_.insert(id, button);
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

}  // namespace leafwright
