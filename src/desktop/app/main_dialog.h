#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include "core/settings/conversion_settings.h"
#include "desktop/platform/program_folders.h"

class QAction;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolBar;
class QToolButton;

namespace leafwright {

class FileList;
class ListRun;
class RunProgressPanel;

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

    // Adds files named on the command line (or by the desktop's "Open
    // With") to the source list, each made absolute against the current
    // folder, as a drop adds them: a folder gives its texts, and names that
    // are not existing files, or are PDFs, are left out and named in one
    // notice.
    void addStartFiles(const QStringList& names);

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
    // The menu a right click on the result list opens.
    QMenu* resultListMenu() const { return resultListMenu_; }
    QToolBar* toolbar() const { return toolbar_; }
    // The strip with the progress bar and Cancel that a long run shows.
    RunProgressPanel* runProgressPanel() const { return runPanel_; }

    // While a run lasts, the close box and Exit cancel it first and close
    // the window once it has stopped; Escape only cancels it.
    void reject() override;
    void accept() override;
    void done(int result) override;

  protected:
    // Command handlers, reached only through the routing table.
    virtual void OnConvertFiles();
    // Converts the whole list into one PDF, named in the save dialog.
    virtual void OnConvertIntoOnePdf();
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
    // Sends the PDFs selected in the result list to a printer.
    virtual void OnPrint();

    // Shows the drop-down menu below the "Tools" button.
    void OnToolsDropDown();
    // Refreshes the enabled state of the items of a menu about to show.
    void OnMenuSelect(QMenu* menu);

    // Enable rules of the menu items.
    bool OnUpdateConvertFiles() const;
    bool OnUpdateRemoveFiles() const;
    bool OnUpdateClearList() const;

    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    using Handler = void (MainDialog::*)();
    using EnableRule = bool (MainDialog::*)() const;

    void buildMenus();
    void buildClientArea();
    void buildToolbar(QWidget* band);
    void buildHiddenButtons(QWidget* client);
    void buildShortcuts();
    void buildResultListMenu();
    // Adds the names that are files, and the texts of named folders, to the
    // source list, as Add Files would; the rest are named in one notice.
    void addNamedFiles(const QStringList& paths);
    // Ends the window with `result`, or, during a run, cancels it and ends
    // the window once it has stopped.
    void closeWith(int result);
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
    QMenu* resultListMenu_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    FileList* resultList_ = nullptr;
    FileList* sourceList_ = nullptr;
    QToolButton* toolsButton_ = nullptr;
    QHash<int, QAction*> menuActions_;
    QHash<int, QToolButton*> toolbarButtons_;
    QHash<int, QPushButton*> hiddenButtons_;
    RunProgressPanel* runPanel_ = nullptr;
    ListRun* listRun_ = nullptr;
    // The result a close asked for during a run, carried out once it stops.
    int closeAfterRun_ = -1;
};

}  // namespace leafwright
