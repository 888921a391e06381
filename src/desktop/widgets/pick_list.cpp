#include "desktop/widgets/pick_list.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/settings/pick_lists.h"

namespace leafwright {

int firstEntryBeginningWith(const QStringList& entries, const QString& value) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(entries.size()));
    for (const QString& entry : entries) texts.push_back(entry.toStdString());
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    const auto index = pickListIndex(views, value.toStdString());
    return index ? static_cast<int>(*index) : -1;
}

PickList::PickList(Order order, QWidget* parent) : QComboBox(parent), order_(order) {
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
}

void PickList::addEntry(const QString& entry) {
    const int selected = currentIndex();
    int place = count();
    if (order_ == Order::Sorted) {
        place = 0;
        while (place < count() &&
               QString::compare(itemText(place), entry, Qt::CaseInsensitive) <= 0)
            ++place;
    }
    insertItem(place, entry);
    // A combo box selects the first entry it gets; a pick list starts empty
    // and keeps whatever was chosen before.
    setCurrentIndex(selected < 0 ? -1 : (place <= selected ? selected + 1 : selected));
}

QStringList PickList::entries() const {
    QStringList texts;
    for (int i = 0; i < count(); ++i) texts << itemText(i);
    return texts;
}

void PickList::showValue(const QString& value) {
    const int match = firstEntryBeginningWith(entries(), value);
    if (match >= 0) setCurrentIndex(match);
}

QString PickList::takeValue() const {
    return currentIndex() < 0 ? QString() : itemText(currentIndex());
}

}  // namespace leafwright
