#include "desktop/settings/settings_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/platform/file_error.h"
#include "core/settings/config_file.h"
#include "core/settings/value_tables.h"
#include "desktop/platform/file_dialog.h"
#include "desktop/platform/folder_browser.h"
#include "desktop/platform/modal_runner.h"
#include "desktop/settings/config_file_reporting.h"
#include "desktop/settings/dialog_layout.h"
#include "desktop/settings/more_settings_dialog.h"
#include "desktop/widgets/limited_text_field.h"
#include "desktop/widgets/notice_box.h"
#include "desktop/widgets/pick_list.h"
#include "desktop/widgets/pictures.h"

namespace leafwright {

namespace {

// The dialog's size in dialog units.
constexpr int kWidthUnits = 336;
constexpr int kHeightUnits = 258;

QString fromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

SettingsDialog::SettingsDialog(QString programFolder, QWidget* parent)
    : QDialog(parent), programFolder_(std::move(programFolder)) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(programIcon());
    setFont(mainDialogFont());
    buildControls();
    buildBindings();
}

SettingsDialog::~SettingsDialog() = default;

template <typename Widget>
Widget* SettingsDialog::add(int id, Widget* widget) {
    controls_.insert(id, widget);
    return widget;
}

void SettingsDialog::buildControls() {
    const DialogLayout layout(this);
    layout.fixSize(kWidthUnits, kHeightUnits);

    auto pickList = [&layout](QWidget* parent, PickList::Order order, int left, int top,
                              int width) {
        auto* list = new PickList(order, parent);
        layout.place(list, left, top, width, DialogLayout::kFieldHeight);
        return list;
    };
    auto marginField = [&layout](QWidget* parent, int left, int top) {
        auto* field = new LimitedTextField(parent);
        field->setTypingLimit(kMarginLimit);
        layout.place(field, left, top, 30, DialogLayout::kFieldHeight);
        return field;
    };

    // "Page Mode" with the inner "Custom page mode" group.
    QGroupBox* pageMode = layout.group(this, "Page Mode", 7, 7, 196, 118);
    customPageModeGroup_ =
        add(kCustomPageModeGroup, layout.group(pageMode, "Custom page mode", 14, 18, 182, 64));
    add(kPageStyleLabel, layout.label(customPageModeGroup_, "Page style", 21, 31, 38));
    pageStyleList_ =
        add(kPageStyleList, pickList(customPageModeGroup_, PickList::Order::AsGiven, 60, 29, 128));
    for (const PageStyle& style : pageStyles()) pageStyleList_->addEntry(fromStd(style.label));
    landscapeBox_ =
        add(kLandscapeBox, layout.checkBox(customPageModeGroup_, "Landscape", 21, 46, 80));
    add(kLeftMarginLabel, layout.label(customPageModeGroup_, "Left margin", 21, 64, 38));
    leftMarginField_ = add(kLeftMarginField, marginField(customPageModeGroup_, 60, 62));
    add(kTopMarginLabel, layout.label(customPageModeGroup_, "Top margin", 108, 64, 38));
    topMarginField_ = add(kTopMarginField, marginField(customPageModeGroup_, 150, 62));
    selfAdaptationBox_ = add(kSelfAdaptationBox,
                             layout.checkBox(pageMode, "Self-adaptation page mode", 14, 88, 130));
    layout.label(pageMode, "Rotate", 14, 106, 40);
    rotationList_ = add(kRotationList, pickList(pageMode, PickList::Order::AsGiven, 60, 104, 50));
    for (std::string_view rotation : rotations()) rotationList_->addEntry(fromStd(rotation));

    QGroupBox* fontGroup = layout.group(this, "Font", 210, 7, 119, 54);
    layout.label(fontGroup, "Font style", 217, 21, 38);
    fontList_ = add(kFontList, pickList(fontGroup, PickList::Order::AsGiven, 256, 19, 66));
    for (std::string_view name : fontNames()) fontList_->addEntry(fromStd(name));
    layout.label(fontGroup, "Font size", 217, 40, 38);
    fontSizeList_ = add(kFontSizeList, pickList(fontGroup, PickList::Order::AsGiven, 256, 38, 66));
    for (const FontSizeRow& size : fontSizes()) fontSizeList_->addEntry(fromStd(size.sizeText));

    QGroupBox* colorGroup = layout.group(this, "Color", 210, 66, 119, 59);
    layout.label(colorGroup, "Text color", 217, 82, 38);
    textColorList_ =
        add(kTextColorList, pickList(colorGroup, PickList::Order::Sorted, 256, 80, 66));
    layout.label(colorGroup, "Page color", 217, 101, 38);
    pageColorList_ =
        add(kPageColorList, pickList(colorGroup, PickList::Order::Sorted, 256, 99, 66));
    for (const NamedColour& colour : colours()) {
        textColorList_->addEntry(fromStd(colour.name));
        pageColorList_->addEntry(fromStd(colour.name));
    }

    QGroupBox* docInfo = layout.group(this, "Doc Infomation", 7, 130, 322, 62);
    layout.label(docInfo, "Author", 14, 144, 34);
    authorField_ = add(kAuthorField, layout.textField(docInfo, 50, 142, 112));
    layout.label(docInfo, "Title", 172, 144, 32);
    titleField_ = add(kTitleField, layout.textField(docInfo, 212, 142, 110));
    layout.label(docInfo, "Subject", 14, 160, 34);
    subjectField_ = add(kSubjectField, layout.textField(docInfo, 50, 158, 112));
    layout.label(docInfo, "Keywords", 172, 160, 32);
    keywordsField_ = add(kKeywordsField, layout.textField(docInfo, 212, 158, 110));
    layout.label(docInfo, "Creater", 14, 176, 34);
    creatorField_ = add(kCreatorField, layout.textField(docInfo, 50, 174, 112));

    QGroupBox* pdfPath = layout.group(this, "PDF Path:", 7, 197, 322, 33);
    customizeBox_ = add(kCustomizeBox, layout.checkBox(pdfPath, "Customize", 14, 211, 50));
    folderField_ = add(kFolderField, layout.textField(pdfPath, 66, 209, 200));
    QPushButton* browse = add(kBrowseButton, layout.button(pdfPath, "Browse...", 272, 208));

    QPushButton* save = add(kSaveButton, layout.button(this, "Save ...", 7, 237));
    QPushButton* load = add(kLoadButton, layout.button(this, "Load ...", 61, 237));
    QPushButton* defaults = add(kDefaultsButton, layout.button(this, "Defaults", 115, 237));
    // An addition to the row, in the gap between Defaults and OK.
    QPushButton* more =
        add(kMoreSettingsButton, layout.button(this, "More settings...", 169, 237, 52));
    QPushButton* ok = add(kOkButton, layout.button(this, "OK", 225, 237));
    QPushButton* cancel = add(kCancelButton, layout.button(this, "Cancel", 279, 237));
    ok->setDefault(true);

    connect(customizeBox_, &QCheckBox::clicked, this, [this] { OnCustomize(); });
    connect(selfAdaptationBox_, &QCheckBox::clicked, this, [this] { OnSelfAdaptation(); });
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(load, &QPushButton::clicked, this, [this] { OnLoad(); });
    connect(defaults, &QPushButton::clicked, this, [this] { OnDefaults(); });
    connect(more, &QPushButton::clicked, this, [this] { OnMoreSettings(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

// The order in which the values travel between the object and the controls.
// A failed take stops at its field, so the order decides which values a
// failure leaves untaken.
void SettingsDialog::buildBindings() {
    using V = ChosenValues;
    bindings_ = {
        {landscapeBox_, nullptr, &V::landscape},
        {fontList_, &V::font, nullptr},
        {pageStyleList_, &V::pageStyle, nullptr},
        {pageColorList_, &V::pageColor, nullptr},
        {textColorList_, &V::textColor, nullptr},
        {fontSizeList_, &V::fontSize, nullptr},
        {rotationList_, &V::rotation, nullptr},
        {authorField_, &V::author, nullptr},
        {creatorField_, &V::creator, nullptr},
        {keywordsField_, &V::keywords, nullptr},
        {leftMarginField_, &V::leftMargin, nullptr},
        {subjectField_, &V::subject, nullptr},
        {titleField_, &V::title, nullptr},
        {topMarginField_, &V::topMargin, nullptr},
        {customizeBox_, nullptr, &V::customFolder},
        {folderField_, &V::folder, nullptr},
        {selfAdaptationBox_, nullptr, &V::selfAdaptation},
    };
}

void SettingsDialog::setFileValues(const ChosenValues& fileValues) {
    values_.more = fileValues.more;
    values_.pageStyle = fileValues.pageStyle;
    values_.font = fileValues.font;
    values_.fontSize = fileValues.fontSize;
    values_.textColor = fileValues.textColor;
    values_.pageColor = fileValues.pageColor;
    values_.rotation = fileValues.rotation;
    values_.topMargin = fileValues.topMargin;
    values_.leftMargin = fileValues.leftMargin;
    values_.landscape = fileValues.landscape;
    values_.customFolder = fileValues.customFolder;
    values_.folder = fileValues.folder;
    values_.selfAdaptation = fileValues.selfAdaptation;
}

int SettingsDialog::run() {
    OnInitDialog();
    return runModal(*this);
}

void SettingsDialog::showValues() {
    for (const Binding& binding : bindings_) {
        if (binding.flag) {
            static_cast<QCheckBox*>(binding.control)->setChecked(values_.*binding.flag != 0);
        } else if (auto* list = qobject_cast<PickList*>(binding.control)) {
            list->showValue(fromStd(values_.*binding.text));
        } else if (auto* limited = qobject_cast<LimitedTextField*>(binding.control)) {
            limited->setTypingLimit(kMarginLimit);
            limited->showText(fromStd(values_.*binding.text));
        } else {
            static_cast<QLineEdit*>(binding.control)->setText(fromStd(values_.*binding.text));
        }
    }
}

bool SettingsDialog::takeValues(bool completeAfterFailure) {
    LimitedTextField* failed = nullptr;
    for (const Binding& binding : bindings_) {
        if (binding.flag) {
            values_.*binding.flag = static_cast<QCheckBox*>(binding.control)->isChecked() ? 1 : 0;
        } else if (auto* list = qobject_cast<PickList*>(binding.control)) {
            values_.*binding.text = list->takeValue().toStdString();
        } else {
            auto* field = static_cast<QLineEdit*>(binding.control);
            values_.*binding.text = field->text().toStdString();
            auto* limited = qobject_cast<LimitedTextField*>(field);
            if (!failed && limited && limited->overLimit()) {
                failed = limited;
                if (!completeAfterFailure) break;
            }
        }
    }
    if (!failed) return true;
    showNotice(this, tooManyCharactersText(failed->typingLimit()));
    failed->setFocus();
    failed->selectAll();
    return false;
}

void SettingsDialog::applyFolderRule() {
    leafwright::applyFolderRule(values_);
    if (values_.customFolder == 0) folderField_->setText(fromStd(values_.folder));
    folderField_->setEnabled(values_.customFolder != 0);
}

void SettingsDialog::applyPageModeRule() {
    customPageModeGroup_->setEnabled(values_.selfAdaptation == 0);
}

void SettingsDialog::chooseCustomFolder(bool custom) {
    values_.customFolder = custom ? 1 : 0;
    if (custom) {
        values_.folder.clear();
        folderField_->setEnabled(true);
        folderField_->clear();
        folderField_->setFocus();
    } else {
        leafwright::applyFolderRule(values_);
        folderField_->setEnabled(false);
    }
}

bool SettingsDialog::loadFileValues(const QString& path) {
    const std::optional<ChosenValues> read = readConfigFileReporting(this, path);
    if (read) setFileValues(*read);
    return read.has_value();
}

void SettingsDialog::OnInitDialog() {
    showValues();
    applyFolderRule();
    applyPageModeRule();
}

// OK takes the values once more; with a margin over its limit the dialog
// stays open for the user to shorten it. Margins, folder and page size are
// checked by the command after the dialog has closed.
void SettingsDialog::OnOK() {
    if (takeValues()) QDialog::accept();
}

void SettingsDialog::OnCancel() {
    QDialog::reject();
}

// The buttons below take every control before they act, so that nothing the
// user has entered is lost, and show all values again afterwards. A margin
// over its limit is reported, yet the controls after it are still taken:
// stopping there would let the final show overwrite them with stale values.

void SettingsDialog::OnCustomize() {
    takeValues(true);
    // The box's own state decides, whatever a failed take left in the values.
    chooseCustomFolder(customizeBox_->isChecked());
    showValues();
}

void SettingsDialog::OnSelfAdaptation() {
    takeValues(true);
    values_.selfAdaptation = selfAdaptationBox_->isChecked() ? 1 : 0;
    applyPageModeRule();
    showValues();
}

void SettingsDialog::OnBrowse() {
    takeValues(true);
    customizeBox_->setChecked(true);
    chooseCustomFolder(true);
    const QString folder = askFolder(this, QString::fromLatin1(kFolderBrowserTitle));
    if (!folder.isEmpty()) values_.folder = folder.toStdString();
    showValues();
}

void SettingsDialog::OnDefaults() {
    takeValues(true);
    if (!loadFileValues(QDir(programFolder_).filePath(QString::fromLatin1(kDefaultConfigName))))
        return;
    OnInitDialog();
}

void SettingsDialog::OnLoad() {
    takeValues(true);
    const QString path = askOpenFileName(this, QString::fromLatin1(kConfigFilter));
    if (path.isEmpty() || !loadFileValues(path)) return;
    OnInitDialog();
}

// The settings of the second dialog change only when it ends with OK; they
// then travel with the others, and Cancel here drops them with the rest.
void SettingsDialog::OnMoreSettings() {
    MoreSettingsDialog more(values_.more, this);
    if (more.run() == QDialog::Accepted) values_.more = more.values();
}

void SettingsDialog::OnSave() {
    takeValues(true);
    const QString path = askSaveFileName(this, QString::fromLatin1(kConfigFilter));
    if (path.isEmpty()) return;
    try {
        writeConfigFile(completeSaveName(toPath(path)), values_);
    } catch (const FileError& error) {
        showFileError(this, error);
        return;
    }
    showValues();
}

}  // namespace leafwright
