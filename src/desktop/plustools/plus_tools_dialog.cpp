#include "desktop/plustools/plus_tools_dialog.h"

#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <iterator>

#include "core/settings/messages.h"
#include "desktop/platform/message_box.h"
#include "desktop/plustools/plus_tools_commands.h"
#include "desktop/widgets/dialog_units.h"
#include "desktop/widgets/pictures.h"
#include "desktop/widgets/plus_tool_font.h"

namespace leafwright {

namespace {

struct ToolColumn {
    const char* title;
    int width;  // pixels
    const char* unspool;
};

constexpr ToolColumn kColumns[] = {
    {"Name", 80, "Unspool"},
    {"Version", 80, "1.0 Beta"},
    {"Release Date", 80, "12/19/2001"},
    {"Description", 300, "Convert un-code PDF files into text(.txt) format."},
};

// The row index is the tool's identity.
constexpr int kUnspoolRow = 0;

void etchedLine(QWidget* parent, QFrame::Shape shape, QRect where) {
    auto* line = new QFrame(parent);
    line->setFrameStyle(shape | QFrame::Sunken);
    if (shape == QFrame::HLine)
        where.setHeight(std::max(where.height(), 2));
    else
        where.setWidth(std::max(where.width(), 2));
    line->setGeometry(where);
}

}  // namespace

PlusToolsDialog::PlusToolsDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(plusToolFont());
    setWindowIcon(programIcon());
    setWindowTitle(QStringLiteral("Plus-Tools"));
    buildControls();
    runButton_->setFocus();
}

PlusToolsDialog::~PlusToolsDialog() = default;

void PlusToolsDialog::buildControls() {
    const DialogUnits units(font());
    setFixedSize(units.rect(0, 0, 234, 130).size());

    etchedLine(this, QFrame::VLine, units.rect(170, 5, 1, 120));
    etchedLine(this, QFrame::HLine, units.rect(5, 5, 225, 1));
    etchedLine(this, QFrame::HLine, units.rect(5, 125, 225, 1));

    // Creation order is the Tab order.
    runButton_ = new QPushButton(QStringLiteral("Run"), this);
    runButton_->setGeometry(units.rect(180, 11, 50, 14));
    runButton_->setDefault(true);
    auto* exitButton = new QPushButton(QStringLiteral("Exit"), this);
    exitButton->setGeometry(units.rect(180, 32, 50, 14));

    toolList_ = new QTreeWidget(this);
    toolList_->setObjectName(QStringLiteral("toolList"));
    toolList_->setGeometry(units.rect(5, 24, 155, 99));
    toolList_->setRootIsDecorated(false);
    toolList_->setItemsExpandable(false);
    toolList_->setUniformRowHeights(true);
    toolList_->setSelectionMode(QAbstractItemView::SingleSelection);
    toolList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    toolList_->setAllColumnsShowFocus(true);
    toolList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    toolList_->setSortingEnabled(false);
    toolList_->header()->setSectionsClickable(false);
    toolList_->header()->setSectionsMovable(false);
    toolList_->header()->setStretchLastSection(false);
    // The chosen tool stays marked while the focus is on a button.
    QPalette palette = toolList_->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    toolList_->setPalette(palette);

    toolList_->setColumnCount(int(std::size(kColumns)));
    QStringList titles;
    QStringList unspool;
    for (const ToolColumn& column : kColumns) {
        titles << QString::fromLatin1(column.title);
        unspool << QString::fromLatin1(column.unspool);
    }
    toolList_->setHeaderLabels(titles);
    for (int column = 0; column < int(std::size(kColumns)); ++column) {
        toolList_->setColumnWidth(column, kColumns[column].width);
        toolList_->headerItem()->setTextAlignment(column, Qt::AlignLeft | Qt::AlignVCenter);
    }
    toolList_->addTopLevelItem(new QTreeWidgetItem(unspool));
    // A double click anywhere in the list, on a row or not, means Run.
    toolList_->viewport()->installEventFilter(this);

    auto* hint = new QLabel(QStringLiteral("You can select one plus-tools in list. "), this);
    hint->setGeometry(units.rect(3, 11, 155, 10));

    connect(runButton_, &QPushButton::clicked, this, [this] { OnRun(); });
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool PlusToolsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == toolList_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        OnDblclkToolList();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void PlusToolsDialog::OnRun() {
    const QList<QTreeWidgetItem*> chosen = toolList_->selectedItems();
    if (chosen.isEmpty()) {
        showMessage(this, kNoItemsSelected);
        return;
    }
    // Only one row can be selected; other rows name no tool yet.
    if (toolList_->indexOfTopLevelItem(chosen.first()) == kUnspoolRow) runUnspoolDialog(this);
}

void PlusToolsDialog::OnDblclkToolList() {
    OnRun();
}

}  // namespace leafwright
