#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "desktop/app/main_dialog.h"
#include "desktop/platform/desktop_opener.h"
#include "desktop/platform/file_dialog.h"
#include "desktop/platform/folder_browser.h"
#include "desktop/platform/message_box.h"
#include "desktop/platform/modal_runner.h"
#include "desktop/platform/printing.h"
#include "desktop/widgets/notice_box.h"

namespace leafwright::testing {

// Every platform service answered by its test seam: no window of the
// platform opens while one of these lives.
struct PlatformSeams {
    MessageBoxSeam messages;
    FileDialogSeam files;
    FolderBrowserSeam folders;
    DesktopOpenerSeam opener;
    ModalDialogSeam modal;
    PrintDialogSeam printing;
    // File errors and the other notices outside the string table.
    NoticeBoxSeam notices;
};

// A main window that records which handler each command reached, then lets
// the handler do its work.
class RecordingMainDialog : public MainDialog {
  public:
    using MainDialog::MainDialog;

    QStringList reached;

  protected:
    // Each override notes its name, then runs the window's own handler.
    void OnConvertFiles() override {
        reached << QStringLiteral("OnConvertFiles");
        MainDialog::OnConvertFiles();
    }
    void OnAddFiles() override {
        reached << QStringLiteral("OnAddFiles");
        MainDialog::OnAddFiles();
    }
    void OnRemoveFiles() override {
        reached << QStringLiteral("OnRemoveFiles");
        MainDialog::OnRemoveFiles();
    }
    void OnClearList() override {
        reached << QStringLiteral("OnClearList");
        MainDialog::OnClearList();
    }
    void OnExit() override {
        reached << QStringLiteral("OnExit");
        MainDialog::OnExit();
    }
    void OnOptions() override {
        reached << QStringLiteral("OnOptions");
        MainDialog::OnOptions();
    }
    void OnLoadConfigurationFile() override {
        reached << QStringLiteral("OnLoadConfigurationFile");
        MainDialog::OnLoadConfigurationFile();
    }
    void OnDefaultConfigurationFile() override {
        reached << QStringLiteral("OnDefaultConfigurationFile");
        MainDialog::OnDefaultConfigurationFile();
    }
    void OnUnspool() override {
        reached << QStringLiteral("OnUnspool");
        MainDialog::OnUnspool();
    }
    void OnPlusTools() override {
        reached << QStringLiteral("OnPlusTools");
        MainDialog::OnPlusTools();
    }
    void OnShowHelp() override {
        reached << QStringLiteral("OnShowHelp");
        MainDialog::OnShowHelp();
    }
    void OnAbout() override {
        reached << QStringLiteral("OnAbout");
        MainDialog::OnAbout();
    }
    void OnDblclkSourceList() override {
        reached << QStringLiteral("OnDblclkSourceList");
        MainDialog::OnDblclkSourceList();
    }
    void OnDblclkResultList() override {
        reached << QStringLiteral("OnDblclkResultList");
        MainDialog::OnDblclkResultList();
    }
};

// A program folder of its own for each test.
inline ProgramFolders foldersIn(const QTemporaryDir& dir) {
    const QString folder = dir.path() + QLatin1Char('/');
    return {folder, folder};
}

// The bytes of a file, or a marker that cannot equal any content checked.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline QString writeFile(const QString& path, const QByteArray& bytes = "text\n") {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

// A shell script that stands in for a program on PATH.
inline QString writeProgram(const QString& path, const QByteArray& script) {
    writeFile(path, "#!/bin/sh\n" + script);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

}  // namespace leafwright::testing
