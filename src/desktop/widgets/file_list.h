#pragma once

#include <QIcon>
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace leafwright {

// A one-column list of full path names, each row shown with the list's
// picture. A row is its text and nothing else; the same path may appear more
// than once. Several rows can be selected, and a click selects a whole row.
class FileList : public QListWidget {
    Q_OBJECT

  public:
    enum class Order {
        Ascending,   // every row lands at its place in ascending order of its text
        AsInserted,  // rows stay where they were inserted
    };

    FileList(Order order, const QIcon& rowPicture, QWidget* parent = nullptr);

    int rowCount() const { return count(); }
    QString rowText(int row) const;
    QStringList rowTexts() const;

    // The lowest selected row, or -1 when no row is selected.
    int firstSelectedRow() const;
    // The lowest selected row after `row`, or -1.
    int nextSelectedRow(int row) const;

    // Inserts a row at `index`; in an ascending list the order decides where
    // it is shown.
    void insertRow(int index, const QString& text);
    void appendRow(const QString& text) { insertRow(count(), text); }
    // Inserts many rows at once, from `index` on in the order given (in an
    // ascending list each lands at its place), drawing the list once.
    void insertRows(int index, const QStringList& texts);
    void deleteRow(int row);
    // Deletes `count` rows from `first` on.
    void deleteRows(int first, int count);
    void deleteAllRows() { clear(); }
    // Deletes every selected row; the other rows keep their order.
    void deleteSelectedRows();

    // The height that shows `rows` rows whole.
    int heightForRows(int rows) const;

    // Opens the file of the lowest selected row with the desktop's default
    // program (message 2 over `owner` when it cannot); nothing when no row is
    // selected. The row stays listed either way.
    void openLowestSelectedRow(QWidget* owner) const;

  signals:
    // A double click anywhere in the list, on a row or on the empty area.
    void listDoubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QIcon rowPicture_;
};

// The order of an ascending file list: case is ignored first, so that names
// differing only in case stand together, and decides only between otherwise
// equal texts.
bool pathTextLess(const QString& left, const QString& right);

}  // namespace leafwright
