#include "desktop/widgets/file_list.h"

#include <QMouseEvent>
#include <algorithm>

#include "desktop/platform/desktop_opener.h"

namespace leafwright {

namespace {

// A row that sorts by pathTextLess; QListWidget's own order is
// case-sensitive.
class PathRow : public QListWidgetItem {
  public:
    PathRow(const QIcon& picture, const QString& text) : QListWidgetItem(picture, text) {}
    bool operator<(const QListWidgetItem& other) const override {
        return pathTextLess(text(), other.text());
    }
};

}  // namespace

bool pathTextLess(const QString& left, const QString& right) {
    const int folded = left.compare(right, Qt::CaseInsensitive);
    if (folded != 0) return folded < 0;
    return left.compare(right, Qt::CaseSensitive) < 0;
}

FileList::FileList(Order order, const QIcon& rowPicture, QWidget* parent)
    : QListWidget(parent), rowPicture_(rowPicture) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::NoContextMenu);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setAcceptDrops(false);
    setIconSize(QSize(16, 16));
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (order == Order::Ascending) {
        setSortingEnabled(true);
        sortItems(Qt::AscendingOrder);
    }
}

QString FileList::rowText(int row) const {
    const QListWidgetItem* entry = item(row);
    return entry ? entry->text() : QString();
}

QStringList FileList::rowTexts() const {
    QStringList texts;
    texts.reserve(count());
    for (int row = 0; row < count(); ++row) texts << item(row)->text();
    return texts;
}

int FileList::firstSelectedRow() const {
    return nextSelectedRow(-1);
}

int FileList::nextSelectedRow(int row) const {
    for (int next = std::max(row + 1, 0); next < count(); ++next)
        if (item(next)->isSelected()) return next;
    return -1;
}

void FileList::insertRow(int index, const QString& text) {
    auto* row = new PathRow(rowPicture_, text);
    // A path too long for the list's width is read whole here.
    row->setToolTip(text);
    insertItem(std::clamp(index, 0, count()), row);
}

void FileList::insertRows(int index, const QStringList& texts) {
    if (texts.isEmpty()) return;
    setUpdatesEnabled(false);
    int at = std::clamp(index, 0, count());
    for (const QString& text : texts) insertRow(at++, text);
    setUpdatesEnabled(true);
}

void FileList::deleteRow(int row) {
    delete takeItem(row);
}

void FileList::deleteRows(int first, int count) {
    if (count <= 0) return;
    model()->removeRows(first, count);
}

int FileList::heightForRows(int rows) const {
    const int row = std::max(iconSize().height(), fontMetrics().height()) + 2 * spacing() + 2;
    return rows * row + 2 * frameWidth();
}

void FileList::deleteSelectedRows() {
    for (int row = count() - 1; row >= 0; --row)
        if (item(row)->isSelected()) deleteRow(row);
}

void FileList::openLowestSelectedRow(QWidget* owner) const {
    const int row = firstSelectedRow();
    if (row >= 0) openFileForUser(owner, rowText(row));
}

void FileList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    emit listDoubleClicked();
}

}  // namespace leafwright
