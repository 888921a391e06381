#pragma once

#include <QDialog>

class QPushButton;
class QTreeWidget;

namespace leafwright {

// The chooser of the plus-tools: a list with one row per tool (row 0 is
// Unspool) and the buttons "Run" and "Exit".
class PlusToolsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit PlusToolsDialog(QWidget* parent = nullptr);
    ~PlusToolsDialog() override;

    QTreeWidget* toolList() const { return toolList_; }
    QPushButton* runButton() const { return runButton_; }

    // Command handlers: the Run button and a double click in the tool list.
    void OnRun();
    void OnDblclkToolList();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();

    QTreeWidget* toolList_ = nullptr;
    QPushButton* runButton_ = nullptr;
};

}  // namespace leafwright
