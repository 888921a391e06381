#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

namespace leafwright {

// The index of the entry a pick list selects for `value` (the core's
// pickListIndex: the first entry that begins with it, ignoring the case of
// ASCII letters); -1 when none does. An empty value begins every entry.
int firstEntryBeginningWith(const QStringList& entries, const QString& value);

// A drop-down list from which the user can only choose, never type. It
// starts with nothing selected.
class PickList : public QComboBox {
    Q_OBJECT

  public:
    enum class Order { AsGiven, Sorted };

    explicit PickList(Order order, QWidget* parent = nullptr);

    // Adds an entry; a sorted list puts it at its alphabetical place.
    void addEntry(const QString& entry);
    QStringList entries() const;

    // Selects the entry firstEntryBeginningWith finds. When no entry
    // matches, the selection stays as it is.
    void showValue(const QString& value);
    // The selected entry's text, or an empty text when nothing is selected.
    QString takeValue() const;

  private:
    Order order_;
};

}  // namespace leafwright
