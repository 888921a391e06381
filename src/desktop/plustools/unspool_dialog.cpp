#include "desktop/plustools/unspool_dialog.h"

#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "desktop/widgets/dialog_units.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/pictures.h"
#include "desktop/platform/desktop_opener.h"
#include "desktop/platform/file_dialog.h"
#include "desktop/platform/message_box.h"
#include "core/settings/messages.h"
#include "desktop/widgets/plus_tool_font.h"
#include "core/plustools/unspool_run.h"
#include "desktop/widgets/notice_box.h"

namespace leafwright {

namespace {

constexpr const char* kPdfFilter = "PDF file(*.pdf)|*.pdf;|";

// A plain frame of one thin line instead of the raised bevel: the look of a
// flat button, which Qt's own flat buttons lose entirely (they show no edge
// until pressed).
constexpr const char* kFlatButtonStyle =
    "QPushButton { border: 1px solid palette(dark); background: palette(button);"
    " padding: 0px 2px; }"
    "QPushButton:default { border: 2px solid palette(shadow); }"
    "QPushButton:pressed { background: palette(mid); }";

std::string toFileName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fromFileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Carries one Convert run into the two lists. The run visits the sources in
// the order of the PDF list, so the row it reports on is always the top row.
class ListUnspoolRun : public UnspoolRunHandler {
  public:
    ListUnspoolRun(QWidget* owner, FileList& pdfList, FileList& textList)
        : owner_(owner), pdfList_(pdfList), textList_(textList) {}

    bool confirmOverwrite(const std::string&, const std::string&) override {
        return showMessage(owner_, kOverwriteQuestion) == QMessageBox::Yes;
    }

    void converted(const std::string&, const std::string& outputPath) override {
        pdfList_.deleteRow(0);
        // The outputs of one run stand at the top, in the order converted.
        textList_.insertRow(convertedCount_++, fromFileName(outputPath));
    }

    void declined(const std::string&, const std::string&) override { pdfList_.deleteRow(0); }

    bool failed(const std::string&, const FileError& error) override {
        // The row stays at the top of the PDF list; what was converted
        // before stays written and listed.
        showFileError(owner_, error);
        return false;
    }

  private:
    QWidget* owner_;
    FileList& pdfList_;
    FileList& textList_;
    int convertedCount_ = 0;
};

}  // namespace

UnspoolDialog::UnspoolDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(plusToolFont());
    setWindowIcon(programIcon());
    setWindowTitle(QStringLiteral("Unspool v1.0 Beta"));
    buildControls();
    button(kAddFilesButton)->setFocus();
}

UnspoolDialog::~UnspoolDialog() = default;

void UnspoolDialog::buildControls() {
    const DialogUnits units(font());
    setFixedSize(units.rect(0, 0, 258, 135).size());

    // Creation order is the Tab order.
    QPushButton* addFiles =
        addButton(kAddFilesButton, QStringLiteral("Add Files"), units.rect(5, 120, 45, 12));
    addFiles->setDefault(true);
    addButton(kRemoveButton, QStringLiteral("Remove"), units.rect(55, 120, 45, 12));
    addButton(kClearListButton, QStringLiteral("Clear List"), units.rect(105, 120, 50, 12));
    addButton(kConvertButton, QStringLiteral("Convert -->"), units.rect(106, 60, 45, 12));
    addButton(kQuitButton, QStringLiteral("Quit"), units.rect(210, 119, 45, 12));

    pdfList_ =
        new FileList(FileList::Order::AsInserted,
                     QIcon(picture(QStringLiteral("list-pdf-document"), QSize(16, 16))), this);
    pdfList_->setObjectName(QStringLiteral("pdfList"));
    pdfList_->setGeometry(units.rect(10, 35, 93, 75));

    auto* group = new QGroupBox(QStringLiteral("File List"), this);
    group->setGeometry(units.rect(5, 25, 250, 90));
    // Beneath the lists, so that it frames them without covering them.
    group->lower();

    textList_ =
        new FileList(FileList::Order::AsInserted,
                     QIcon(picture(QStringLiteral("list-text-document"), QSize(16, 16))), this);
    textList_->setObjectName(QStringLiteral("textList"));
    textList_->setGeometry(units.rect(154, 35, 96, 75));

    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    QRect lineRect = units.rect(106, 75, 45, 1);
    lineRect.setHeight(std::max(lineRect.height(), 2));
    line->setGeometry(lineRect);

    auto* note = new QLabel(
        QStringLiteral("Unspool is a plus-tools for Leafwright. It can convert un-code PDF \n"
                       "files to text(.txt) format."),
        this);
    note->setObjectName(QStringLiteral("note"));
    note->setGeometry(units.rect(5, 5, 245, 18));
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // A row is measured by its own path, so that a long path is never cut
    // short; the scroll bar reaches its end.
    for (FileList* list : {pdfList_, textList_}) {
        list->setUniformItemSizes(false);
        list->setTextElideMode(Qt::ElideNone);
    }

    connect(addFiles, &QPushButton::clicked, this, [this] { OnAddFiles(); });
    connect(button(kRemoveButton), &QPushButton::clicked, this, [this] { OnRemove(); });
    connect(button(kClearListButton), &QPushButton::clicked, this, [this] { OnClearList(); });
    connect(button(kConvertButton), &QPushButton::clicked, this, [this] { OnConvert(); });
    connect(button(kQuitButton), &QPushButton::clicked, this, &QDialog::reject);
    connect(pdfList_, &FileList::listDoubleClicked, this, [this] { OnDblclkPdfList(); });
    connect(textList_, &FileList::listDoubleClicked, this, [this] { OnDblclkTextList(); });
}

QPushButton* UnspoolDialog::addButton(int control, const QString& text, const QRect& where) {
    auto* pushButton = new QPushButton(text, this);
    pushButton->setGeometry(where);
    pushButton->setFlat(true);
    pushButton->setStyleSheet(QString::fromLatin1(kFlatButtonStyle));
    buttons_.insert(control, pushButton);
    return pushButton;
}

void UnspoolDialog::OnAddFiles() {
    const QStringList picked = askOpenFileNames(this, QString::fromLatin1(kPdfFilter));
    // The new batch goes on top, in the order the dialog gave it.
    int index = 0;
    for (const QString& path : picked) pdfList_->insertRow(index++, path);
}

void UnspoolDialog::OnRemove() {
    if (pdfList_->firstSelectedRow() < 0 && textList_->firstSelectedRow() < 0) {
        showMessage(this, kNoItemsSelected);
        return;
    }
    textList_->deleteSelectedRows();
    pdfList_->deleteSelectedRows();
}

void UnspoolDialog::OnClearList() {
    textList_->deleteAllRows();
    pdfList_->deleteAllRows();
}

void UnspoolDialog::OnConvert() {
    if (pdfList_->rowCount() == 0) {
        showMessage(this, kPdfListEmpty);
        return;
    }
    std::vector<std::string> sources;
    sources.reserve(pdfList_->rowCount());
    for (const QString& row : pdfList_->rowTexts()) sources.push_back(toFileName(row));
    ListUnspoolRun run(this, *pdfList_, *textList_);
    try {
        unspoolFiles(sources, run);
    } catch (const std::exception& error) {
        // Nothing may escape a button's slot; a failure outside any one
        // file ends the run like a file error, the rows not done still
        // listed.
        showNotice(this, QString::fromLocal8Bit(error.what()));
    }
}

void UnspoolDialog::OnDblclkPdfList() {
    openLowestSelectedRow(*pdfList_);
}

void UnspoolDialog::OnDblclkTextList() {
    openLowestSelectedRow(*textList_);
}

void UnspoolDialog::openLowestSelectedRow(const FileList& list) {
    const int row = list.firstSelectedRow();
    if (row < 0) return;
    openFileForUser(this, list.rowText(row));
}

}  // namespace leafwright
