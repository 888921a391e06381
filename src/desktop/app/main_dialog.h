#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include "desktop/platform/program_folders.h"
#include "core/settings/conversion_settings.h"

class QAction;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolButton;

namespace leafwright {

class FileList;

// The main window: menus, toolbar, the source list (text files to convert)
// and the result list (PDF files written). Every command, whichever menu item,
// toolbar button or hidden button sends it, reaches one handler through the
// routing table; the handlers run to completion one at a time.
class MainDialog : public QDialog {
    Q_OBJECT

  public:
    explicit MainDialog(ProgramFolders folders, QWidget* parent = nullptr);
    ~MainDialog() override;

    // Sends command `id` as its menu item, toolbar button or hidden button
    // does. Returns false for a number without a route.
    bool sendCommand(int id);

    // The folder of the program's own files, ending in "/".
    const QString& programFolder() const { return folders_.programFolder; }
    const QString& pagesFolder() const { return folders_.pagesFolder; }
    // Makes programFolder the process's current folder. Commands that name
    // files relative to the program call this first.
    void enterProgramFolder();

    FileList* sourceList() const { return sourceList_; }
    FileList* resultList() const { return resultList_; }
    ConversionSettings& settings() { return settings_; }

    // The menu item, toolbar button or hidden button of a command; null when
    // the command has none of that kind.
    QAction* menuAction(int id) const;
    QToolButton* toolbarButton(int id) const;
    QPushButton* hiddenButton(int id) const;
    QMenuBar* menuBar() const { return menuBar_; }
    // The one-item menu under the arrow of the "Tools" button.
    QMenu* toolsDropDownMenu() const { return toolsDropDown_; }

  protected:
    // Command handlers, reached only through the routing table.
    virtual void OnConvertFiles();
    virtual void OnAddFiles();
    virtual void OnRemoveFiles();
    virtual void OnClearList();
    virtual void OnExit();
    virtual void OnOptions();
    virtual void OnLoadConfigurationFile();
    virtual void OnDefaultConfigurationFile();
    virtual void OnUnspool();
    virtual void OnPlusTools();
    virtual void OnShowHelp();
    virtual void OnAbout();
    virtual void OnDblclkSourceList();
    virtual void OnDblclkResultList();

    // Shows the drop-down menu below the "Tools" button.
    void OnToolsDropDown();
    // Refreshes the enabled state of the items of a menu about to show.
    void OnMenuSelect(QMenu* menu);

    // Enable rules of the menu items.
    bool OnUpdateConvertFiles() const;
    bool OnUpdateRemoveFiles() const;
    bool OnUpdateClearList() const;

    void keyPressEvent(QKeyEvent* event) override;

  private:
    using Handler = void (MainDialog::*)();
    using EnableRule = bool (MainDialog::*)() const;

    void buildMenus();
    void buildClientArea();
    void buildToolbar(QWidget* client, const QRect& band);
    void buildHiddenButtons(QWidget* client);
    void openLowestSelectedRow(const FileList& list);
    // The settings edit shared by the configuration commands: shows the
    // values of the configuration file at `sourcePath` in the settings
    // dialog, and applies and records them once the user confirms values
    // that pass every check.
    void EditSettings(const QString& sourcePath);

    static const QHash<int, Handler>& routingTable();
    static const QHash<int, EnableRule>& enableRules();

    ProgramFolders folders_;
    ConversionSettings settings_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* toolsDropDown_ = nullptr;
    FileList* resultList_ = nullptr;
    FileList* sourceList_ = nullptr;
    QToolButton* toolsButton_ = nullptr;
    QHash<int, QAction*> menuActions_;
    QHash<int, QToolButton*> toolbarButtons_;
    QHash<int, QPushButton*> hiddenButtons_;
};

}  // namespace leafwright
