#pragma once

namespace leafwright {

// The numbers of the main window's commands: menu items, toolbar buttons, the
// item of the Tools button's drop-down menu and the hidden buttons. Several
// sources of one action keep their own numbers; the routing table of
// MainDialog joins them.
enum CommandId : int {
    kCmdHiddenAddFiles = 1061,
    kCmdHiddenRemoveFiles = 1062,
    kCmdHiddenOptions = 1063,

    kCmdConvertFiles = 32771,
    kCmdAddFiles = 32772,
    kCmdExit = 32775,
    kCmdOptions = 32776,
    kCmdLoadConfigurationFile = 32777,
    kCmdDefaultConfigurationFile = 32778,
    kCmdShowHelp = 32779,
    kCmdAbout = 32782,
    kCmdClearList = 32783,
    kCmdRemoveFiles = 32784,

    kCmdToolbarRemove = 32786,
    kCmdToolbarInfo = 32787,
    kCmdToolbarClearList = 32788,
    kCmdToolbarSettings = 32789,
    kCmdToolbarConvert = 32791,
    kCmdToolbarAddFiles = 32793,

    kCmdUnspool = 32802,
    kCmdDropDownUnspool = 32804,
    kCmdToolbarTools = 32805,

    // Not among the classic commands: File > Print... and the result list's
    // menu.
    kCmdPrint = 32806,
    // File > Convert into One PDF...
    kCmdConvertIntoOnePdf = 32807,
};

}  // namespace leafwright
