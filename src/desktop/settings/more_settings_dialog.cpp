#include "desktop/settings/more_settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <string>

#include "core/fonts/system_font_provider.h"
#include "desktop/platform/modal_runner.h"
#include "desktop/settings/dialog_layout.h"
#include "desktop/widgets/field_names.h"
#include "desktop/widgets/notice_box.h"
#include "desktop/widgets/pictures.h"

namespace leafwright {

namespace {

constexpr int kWidthUnits = 260;
constexpr int kHeightUnits = 289;

// The wrap modes as the list offers them, with the value each stands for.
struct WrapChoice {
    const char* label;
    const char* value;
};
constexpr WrapChoice kWrapChoices[] = {
    {"Do not wrap (long lines run past the edge)", "none"},
    {"Between words", "word"},
    {"At any character", "char"},
    {"Between words, inside words too long for a line", "word-char"},
};

// Encodings offered in the list; any other name the system knows can be
// typed. The empty entry is the usual reading: UTF-8, else Windows-1252.
const char* const kEncodings[] = {
    "",
    "auto",
    "UTF-8",
    "UTF-16",
    "UTF-16LE",
    "UTF-16BE",
    "WINDOWS-1252",
    "ISO-8859-1",
    "ISO-8859-15",
    "ISO-8859-2",
    "WINDOWS-1250",
    "ISO-8859-5",
    "WINDOWS-1251",
    "KOI8-R",
    "KOI8-U",
    "ISO-8859-7",
    "WINDOWS-1253",
    "ISO-8859-9",
    "WINDOWS-1254",
    "ISO-8859-8",
    "WINDOWS-1255",
    "WINDOWS-1256",
    "SHIFT_JIS",
    "EUC-JP",
    "ISO-2022-JP",
    "GB18030",
    "GBK",
    "BIG5",
    "EUC-KR",
    "CP437",
};

QString fromStd(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A spin box of line numbers; its unit follows the number.
QSpinBox* numberBox(QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(0, kLargestLineNumberSetting);
    return box;
}

}  // namespace

MoreSettingsDialog::MoreSettingsDialog(const MoreSettings& values, QWidget* parent)
    : QDialog(parent), values_(values) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(programIcon());
    setFont(parent ? parent->font() : mainDialogFont());
    buildControls();
    nameFieldsByTheirLabels(this);
}

MoreSettingsDialog::~MoreSettingsDialog() = default;

template <typename Widget>
Widget* MoreSettingsDialog::add(int id, Widget* widget) {
    controls_.insert(id, widget);
    return widget;
}

void MoreSettingsDialog::buildControls() {
    const DialogLayout layout(this);
    layout.fixSize(kWidthUnits, kHeightUnits);
    auto field = [&layout](QWidget* widget, int left, int top, int width) {
        layout.place(widget, left, top, width, DialogLayout::kFieldHeight);
        return widget;
    };

    QGroupBox* lines = layout.group(this, "Long lines", 7, 7, 246, 44);
    layout.label(lines, "Wrapping", 14, 21, 56);
    auto* wrap = add(kWrapList, new QComboBox(lines));
    for (const WrapChoice& choice : kWrapChoices)
        wrap->addItem(QString::fromLatin1(choice.label), QString::fromLatin1(choice.value));
    field(wrap, 72, 19, 174);
    QCheckBox* wrapMark = add(
        kWrapMarkBox,
        layout.checkBox(lines, "Mark continued lines with an arrow in the margin", 14, 36, 232));

    QGroupBox* pages = layout.group(this, "Pages", 7, 56, 246, 109);
    QCheckBox* formFeed = add(
        kFormFeedBox, layout.checkBox(pages, "Start a new page at each form feed", 14, 70, 232));
    layout.label(pages, "Header", 14, 86, 56);
    QLineEdit* header = add(kHeaderField, layout.textField(pages, 72, 84, 174));
    layout.label(pages, "Footer", 14, 102, 56);
    QLineEdit* footer = add(kFooterField, layout.textField(pages, 72, 100, 174));
    QLabel* hint = layout.label(pages,
                                "Up to three fields, left|centre|right, with {page}, {pages}, "
                                "{file}, {path}, {title}, {date}, {mtime} and more",
                                72, 114, 174);
    hint->setWordWrap(true);
    // Two lines of text need their line spacing, a little more than the
    // font's height that dialog units count in.
    layout.place(hint, 72, 114, 174, 19);
    QCheckBox* headerRule =
        add(kHeaderRuleBox,
            layout.checkBox(pages, "Draw a rule between the header or footer and the text", 14, 135,
                            232));
    layout.label(pages, "Number lines", 14, 151, 50);
    QSpinBox* lineNumbers = add(kLineNumbersBox, numberBox(pages));
    field(lineNumbers, 66, 149, 70);
    lineNumbers->setSpecialValueText(QStringLiteral("Off"));
    lineNumbers->setPrefix(QStringLiteral("every "));
    auto unitFollowsNumber = [lineNumbers](int number) {
        lineNumbers->setSuffix(number == 1 ? QStringLiteral(" line") : QStringLiteral(" lines"));
    };
    unitFollowsNumber(lineNumbers->value());
    connect(lineNumbers, &QSpinBox::valueChanged, this, unitFollowsNumber);
    layout.label(pages, "First number", 144, 151, 48);
    QSpinBox* lineNumberStart = add(kLineNumberStartBox, numberBox(pages));
    field(lineNumberStart, 194, 149, 52);

    QGroupBox* text = layout.group(this, "Font and text encoding", 7, 170, 246, 45);
    layout.label(text, "Font family", 14, 184, 56);
    auto* family = add(kFontFamilyList, new QFontComboBox(text));
    family->setEditable(true);
    // The first entry, empty, keeps the standard font of the settings.
    family->insertItem(0, QString());
    family->lineEdit()->setPlaceholderText(QStringLiteral("Standard font"));
    field(family, 72, 182, 174);
    layout.label(text, "Text encoding", 14, 200, 56);
    auto* encoding = add(kEncodingList, new QComboBox(text));
    encoding->setEditable(true);
    encoding->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : kEncodings) encoding->addItem(QString::fromLatin1(name));
    encoding->lineEdit()->setPlaceholderText(QStringLiteral("UTF-8, else Windows-1252"));
    encoding->setToolTip(
        QStringLiteral("Empty: UTF-8 when the text is valid UTF-8, otherwise Windows-1252.\n"
                       "auto: guessed from the text. Any name iconv knows can be typed."));
    field(encoding, 72, 198, 174);

    QGroupBox* pdf = layout.group(this, "PDF", 7, 220, 246, 41);
    QCheckBox* compress =
        add(kCompressBox, layout.checkBox(pdf, "Compress the PDF's streams", 14, 234, 232));
    QCheckBox* combineDuplex =
        add(kCombineDuplexBox,
            layout.checkBox(pdf, "In one PDF of several files, start each file on an odd page", 14,
                            247, 232));

    QPushButton* ok = add(kOkButton, layout.button(this, "OK", 149, 268));
    QPushButton* cancel = add(kCancelButton, layout.button(this, "Cancel", 203, 268));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

    bindings_ = {
        {"wrap", wrap},
        {"wrap-mark", wrapMark, "arrow", "none"},
        {"form-feed", formFeed, "page", "ignore"},
        {"header", header},
        {"footer", footer},
        {"header-rule", headerRule, "TRUE", "FALSE"},
        {"line-numbers", lineNumbers},
        {"line-number-start", lineNumberStart},
        {"font-family", family},
        {"encoding", encoding},
        {"compress", compress, "TRUE", "FALSE"},
        {"combine-duplex", combineDuplex, "TRUE", "FALSE"},
    };
}

int MoreSettingsDialog::run() {
    showValues();
    return runModal(*this);
}

void MoreSettingsDialog::showValues() {
    for (const Binding& binding : bindings_) {
        const QString text = fromStd(moreSettingText(values_, binding.name));
        if (auto* box = qobject_cast<QCheckBox*>(binding.control)) {
            box->setChecked(text == QLatin1String(binding.on));
        } else if (auto* spin = qobject_cast<QSpinBox*>(binding.control)) {
            spin->setValue(text.toInt());
        } else if (auto* list = qobject_cast<QComboBox*>(binding.control);
                   list && !list->isEditable()) {
            list->setCurrentIndex(list->findData(text));
        } else if (list) {
            list->setCurrentText(text);
        } else {
            static_cast<QLineEdit*>(binding.control)->setText(text);
        }
    }
}

const MoreSettingsDialog::Binding* MoreSettingsDialog::takeValues(MoreSettings& taken,
                                                                  std::string* refusedValue) const {
    for (const Binding& binding : bindings_) {
        QString text;
        if (auto* box = qobject_cast<QCheckBox*>(binding.control)) {
            text = QLatin1String(box->isChecked() ? binding.on : binding.off);
        } else if (auto* spin = qobject_cast<QSpinBox*>(binding.control)) {
            text = QString::number(spin->value());
        } else if (auto* list = qobject_cast<QComboBox*>(binding.control);
                   list && !list->isEditable()) {
            text = list->currentData().toString();
        } else if (list) {
            // A name typed with blanks around it means the name.
            text = list->currentText().trimmed();
        } else {
            text = static_cast<QLineEdit*>(binding.control)->text();
        }
        const std::string value = text.toStdString();
        if (setMoreSetting(taken, binding.name, value) != MoreSettingCheck::Taken) {
            if (refusedValue) *refusedValue = value;
            return &binding;
        }
    }
    return nullptr;
}

void MoreSettingsDialog::accept() {
    MoreSettings taken = values_;
    std::string refusedValue;
    if (const Binding* refused = takeValues(taken, &refusedValue)) {
        showNotice(this,
                   QString::fromStdString(moreSettingRefusal(refused->name, refusedValue)) + '.');
        refused->control->setFocus();
        return;
    }
    // A family the machine does not have would fail every file of the next
    // run: it is refused here, as the command line refuses it before any.
    const std::string fontProblem =
        SystemFontProvider::problemWith({taken.fontFamily, taken.fontFile});
    if (!fontProblem.empty()) {
        showNotice(this, QString::fromStdString(fontProblem) + '.');
        control(kFontFamilyList)->setFocus();
        return;
    }
    values_ = std::move(taken);
    QDialog::accept();
}

}  // namespace leafwright
