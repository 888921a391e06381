#pragma once

#include <QDialog>
#include <QHash>
#include <QString>
#include <string>
#include <vector>

#include "core/settings/conversion_settings.h"
#include "core/settings/window_rules.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace leafwright {

class LimitedTextField;
class PickList;

// The modal "Setting Dialog" in which the user edits the seventeen chosen
// values, and through "More settings..." the settings beyond them. It holds
// its own copy of them and never touches the settings of the main window: a
// command creates it, puts the values of a configuration file into it, runs
// it and, after OK, reads all values back.
//
// Inside the dialog the user can save the values to a configuration file,
// load one, fetch the defaults from default.tcf in the program folder and pick
// the output folder in the folder browser.
class SettingsDialog : public QDialog {
    Q_OBJECT

  public:
    // The dialog's controls by their ids.
    enum Control : int {
        kOkButton = 1,
        kCancelButton = 2,
        kSaveButton = 3,
        kLoadButton = 4,
        kDefaultsButton = 5,
        kPageStyleList = 1037,
        kFontList = 1039,
        kTextColorList = 1040,
        kFontSizeList = 1041,
        kPageColorList = 1042,
        kRotationList = 1043,
        kTopMarginField = 1046,
        kLeftMarginField = 1047,
        kAuthorField = 1052,
        kTitleField = 1053,
        kSubjectField = 1054,
        kKeywordsField = 1055,
        kCreatorField = 1056,
        kLandscapeBox = 1057,
        kFolderField = 1058,
        kCustomizeBox = 1059,
        kSelfAdaptationBox = 1066,
        kCustomPageModeGroup = 1079,
        kPageStyleLabel = 1080,
        kLeftMarginLabel = 1081,
        kTopMarginLabel = 1082,
        kBrowseButton = 1087,
        kMoreSettingsButton = 1088,
    };

    static constexpr int kMarginLimit = static_cast<int>(kMarginFieldLength);
    static constexpr const char* kCaption = "Setting Dialog";
    static constexpr const char* kFolderBrowserTitle = "Selectadirectory";
    static constexpr const char* kConfigFilter = "Configuration File(*.tcf)|*.tcf;|";

    // Every value starts empty or 0. `programFolder` is where default.tcf is
    // read by the "Defaults" button.
    explicit SettingsDialog(QString programFolder, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // Puts the values a configuration file keeps (the twelve and the settings
    // after them) into the dialog; the five document-information texts keep
    // what they hold.
    void setFileValues(const ChosenValues& fileValues);
    // All seventeen values, as last taken from the controls (after OK: as the
    // user confirmed them), and the settings of "More settings..." as its
    // last OK left them.
    const ChosenValues& values() const { return values_; }

    // Shows the values, applies the enabling rules and runs the dialog
    // modally. Returns QDialog::Accepted for OK, QDialog::Rejected for Cancel.
    // Can be called again on the same object; each run starts from the values
    // the object holds.
    int run();

    // The control with the given id; null for an unknown id.
    QWidget* control(int id) const { return controls_.value(id); }

    // Copies the values into the controls, all at once. Also limits the two
    // margin fields to kMarginLimit characters of typing.
    void showValues();
    // Copies the controls into the values, in the fixed order of the data
    // exchange. A margin field over its limit fails the take: the user is
    // told, that field gets the focus and, unless `completeAfterFailure`, the
    // controls after it are not taken. Returns false on failure.
    bool takeValues(bool completeAfterFailure = false);

  protected:
    // Shows the values and applies the two enabling rules of an opening
    // dialog.
    void OnInitDialog();
    void OnOK();
    void OnCancel();
    void OnCustomize();
    void OnSelfAdaptation();
    void OnBrowse();
    void OnDefaults();
    void OnLoad();
    void OnSave();
    void OnMoreSettings();

    // Enter, Escape and the close box reach OnOK and OnCancel through these.
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

  private:
    // One control bound to one value in the order of the data exchange.
    struct Binding {
        QWidget* control;
        std::string ChosenValues::*text;
        int ChosenValues::*flag;
    };

    void buildControls();
    void buildBindings();
    template <typename Widget>
    Widget* add(int id, Widget* widget);

    // Step 1 and 2 of opening: the folder field follows "Customize", the
    // custom page mode group follows "Self-adaptation page mode".
    void applyFolderRule();
    void applyPageModeRule();
    // The folder field for "Customize" now checked or unchecked.
    void chooseCustomFolder(bool custom);
    // Reads a configuration file into the file values; reports a file error
    // or a refused value and returns false when it cannot be read.
    bool loadFileValues(const QString& path);

    QString programFolder_;
    ChosenValues values_;
    QHash<int, QWidget*> controls_;
    std::vector<Binding> bindings_;

    QGroupBox* customPageModeGroup_ = nullptr;
    PickList* pageStyleList_ = nullptr;
    QCheckBox* landscapeBox_ = nullptr;
    LimitedTextField* leftMarginField_ = nullptr;
    LimitedTextField* topMarginField_ = nullptr;
    QCheckBox* selfAdaptationBox_ = nullptr;
    PickList* rotationList_ = nullptr;
    PickList* fontList_ = nullptr;
    PickList* fontSizeList_ = nullptr;
    PickList* textColorList_ = nullptr;
    PickList* pageColorList_ = nullptr;
    QLineEdit* authorField_ = nullptr;
    QLineEdit* titleField_ = nullptr;
    QLineEdit* subjectField_ = nullptr;
    QLineEdit* keywordsField_ = nullptr;
    QLineEdit* creatorField_ = nullptr;
    QCheckBox* customizeBox_ = nullptr;
    QLineEdit* folderField_ = nullptr;
};

}  // namespace leafwright
