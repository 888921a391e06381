#include "desktop/plustools/unspool_dialog.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "core/settings/messages.h"
#include "desktop/platform/desktop_opener.h"
#include "desktop/platform/file_dialog.h"
#include "desktop/platform/message_box.h"
#include "desktop/widgets/dialog_units.h"
#include "desktop/widgets/file_list.h"
#include "desktop/widgets/list_run.h"
#include "desktop/widgets/named_files.h"
#include "desktop/widgets/pictures.h"
#include "desktop/widgets/plus_tool_font.h"
#include "desktop/widgets/run_progress_panel.h"
#include "desktop/widgets/window_file_run.h"
#include "desktop/widgets/window_size.h"

namespace leafwright {

namespace {

// The PDF files first; any file may be tried.
constexpr const char* kPdfFilter = "PDF file(*.pdf)|*.pdf;|All files (*)|*|";

// A plain frame of one thin line instead of the raised bevel: the look of a
// flat button, which Qt's own flat buttons lose entirely (they show no edge
// until pressed). The padding keeps the caption off the frame, as in the
// other windows' buttons.
constexpr const char* kFlatButtonStyle =
    "QPushButton { border: 1px solid palette(dark); background: palette(button);"
    " padding: 3px 8px; }"
    "QPushButton:default { border: 2px solid palette(shadow); }"
    "QPushButton:pressed { background: palette(mid); }";

// The buttons' sizes in dialog units: at least this large, as the window's
// template has them.
struct ButtonSize {
    int control;
    int width;
    int height;
};
constexpr ButtonSize kButtonSizes[] = {
    {UnspoolDialog::kAddFilesButton, 45, 12},  {UnspoolDialog::kRemoveButton, 45, 12},
    {UnspoolDialog::kClearListButton, 50, 12}, {UnspoolDialog::kConvertButton, 45, 12},
    {UnspoolDialog::kQuitButton, 45, 12},
};

bool namesPdf(const QString& path) {
    return path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
}

// What the PDF list takes from a folder: its PDF files.
FileKind pdfFileKind() {
    return {{QStringLiteral("*.pdf")}, namesPdf, QStringLiteral("PDF files")};
}

}  // namespace

UnspoolDialog::UnspoolDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(plusToolFont());
    setWindowIcon(programIcon());
    setWindowTitle(QStringLiteral("Unspool v1.0 Beta"));
    buildControls();
    setAcceptDrops(true);
    button(kAddFilesButton)->setFocus();
}

UnspoolDialog::~UnspoolDialog() = default;

void UnspoolDialog::buildControls() {
    const DialogUnits units(font());

    // Creation order is the Tab order.
    QPushButton* addFiles = addButton(kAddFilesButton, QStringLiteral("Add Files"));
    addFiles->setDefault(true);
    addButton(kRemoveButton, QStringLiteral("Remove"));
    addButton(kClearListButton, QStringLiteral("Clear List"));
    addButton(kConvertButton, QStringLiteral("Convert -->"));
    addButton(kQuitButton, QStringLiteral("Quit"));
    for (const ButtonSize& size : kButtonSizes)
        button(size.control)->setMinimumSize(units.rect(0, 0, size.width, size.height).size());

    auto* group = new QGroupBox(QStringLiteral("File List"), this);
    pdfList_ = new FileList(FileList::Order::AsInserted,
                            pictureIcon(QStringLiteral("list-pdf-document")), group);
    pdfList_->setObjectName(QStringLiteral("pdfList"));
    pdfList_->setAccessibleName(QStringLiteral("PDF files to extract"));
    textList_ = new FileList(FileList::Order::AsInserted,
                             pictureIcon(QStringLiteral("list-text-document")), group);
    textList_->setObjectName(QStringLiteral("textList"));
    textList_->setAccessibleName(QStringLiteral("Text files written"));

    auto* line = new QFrame(group);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    auto* note = new QLabel(
        QStringLiteral("Unspool is a plus-tools for Leafwright. It can convert un-code PDF \n"
                       "files to text(.txt) format."),
        this);
    note->setObjectName(QStringLiteral("note"));
    note->setToolTip(
        QStringLiteral("Reads uncompressed PDFs and compressed ones (page content under "
                       "FlateDecode).\nA PDF whose objects are in object streams, whose content "
                       "uses another filter,\nor that is encrypted gets a warning naming the "
                       "reason."));
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // A row is measured by its own path, so that a long path is never cut
    // short; the scroll bar reaches its end, and the tooltip shows it whole.
    // However small the window, a list shows a few rows.
    for (FileList* list : {pdfList_, textList_}) {
        list->setUniformItemSizes(false);
        list->setTextElideMode(Qt::ElideNone);
        list->setMinimumHeight(list->heightForRows(3));
    }

    // The PDF list on the left, "Convert -->" between the lists, the text
    // list on the right; the lists grow with the window.
    auto* between = new QVBoxLayout;
    between->addStretch(1);
    between->addWidget(button(kConvertButton));
    between->addWidget(line);
    between->addStretch(1);
    auto* lists = new QHBoxLayout(group);
    lists->addWidget(pdfList_, 1);
    lists->addLayout(between);
    lists->addWidget(textList_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addFiles);
    buttons->addWidget(button(kRemoveButton));
    buttons->addWidget(button(kClearListButton));
    buttons->addStretch(1);
    buttons->addWidget(button(kQuitButton));

    runPanel_ = new RunProgressPanel(this);
    listRun_ = new ListRun(this, runPanel_, *pdfList_, *textList_);

    auto* layout = new QVBoxLayout(this);
    const QRect margin = units.rect(0, 0, 5, 5);
    layout->setContentsMargins(margin.width(), margin.height(), margin.width(), margin.height());
    layout->addWidget(note);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);
    layout->addWidget(runPanel_);

    // It opens at its size in dialog units, or at the size it last had,
    // within the screen.
    restoreWindowSize(*this, QStringLiteral("unspool"), units.rect(0, 0, 258, 135).size());

    connect(addFiles, &QPushButton::clicked, this, [this] { OnAddFiles(); });
    connect(button(kRemoveButton), &QPushButton::clicked, this, [this] { OnRemove(); });
    connect(button(kClearListButton), &QPushButton::clicked, this, [this] { OnClearList(); });
    connect(button(kConvertButton), &QPushButton::clicked, this, [this] { OnConvert(); });
    connect(button(kQuitButton), &QPushButton::clicked, this, &QDialog::reject);
    connect(pdfList_, &FileList::listDoubleClicked, this, [this] { OnDblclkPdfList(); });
    connect(textList_, &FileList::listDoubleClicked, this, [this] { OnDblclkTextList(); });
}

QPushButton* UnspoolDialog::addButton(int control, const QString& text) {
    auto* pushButton = new QPushButton(text, this);
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
    if (listRun_->isRunning()) return;
    if (pdfList_->rowCount() == 0) {
        showMessage(this, kPdfListEmpty);
        return;
    }
    listRun_->run(windowUnspoolSteps());
    if (closeAfterRun_ >= 0) done(std::exchange(closeAfterRun_, -1));
}

void UnspoolDialog::OnDblclkPdfList() {
    pdfList_->openLowestSelectedRow(this);
}

void UnspoolDialog::OnDblclkTextList() {
    textList_->openLowestSelectedRow(this);
}

void UnspoolDialog::reject() {
    if (listRun_->isRunning()) {
        // Cancel first; the run's end closes the window.
        closeAfterRun_ = QDialog::Rejected;
        listRun_->cancel();
        return;
    }
    done(QDialog::Rejected);
}

void UnspoolDialog::done(int result) {
    keepWindowSize(*this, QStringLiteral("unspool"));
    QDialog::done(result);
}

void UnspoolDialog::keyPressEvent(QKeyEvent* event) {
    // During a run Escape cancels it and the window stays.
    if (listRun_->takesEscape(event)) return;
    QDialog::keyPressEvent(event);
}

void UnspoolDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (carriesLocalFiles(event->mimeData())) event->acceptProposedAction();
}

// PDFs dropped anywhere on the window join the PDF list on top, as Add Files
// would add them; a folder gives its PDFs, in name order. The drop is taken
// at once and the names looked at afterwards, so that the program they were
// dragged from is not held.
void UnspoolDialog::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, paths] {
        const FileKind kind = pdfFileKind();
        const NamedFiles named = sortNamedFiles(paths, kind);
        // During a run the rows wait for its end.
        const auto add = [this](const QStringList& files) {
            listRun_->whenIdle([this, files] { pdfList_->insertRows(0, files); });
        };
        add(named.files);
        reportNamedFiles(this, named, kind, add);
    });
}

}  // namespace leafwright
