#pragma once

#include <QDialog>
#include <QHash>

class QPushButton;

namespace leafwright {

class FileList;
class ListRun;
class RunProgressPanel;

// The Unspool window: the PDF list (files waiting for extraction, left), the
// text list (text files written, right) and the buttons that fill, empty and
// convert them. Each window starts with two empty lists and keeps nothing
// after it closes.
class UnspoolDialog : public QDialog {
    Q_OBJECT

  public:
    // The numbers of the window's push buttons.
    enum Control : int {
        kQuitButton = 2,
        kClearListButton = 1062,
        kAddFilesButton = 1090,
        kRemoveButton = 1091,
        kConvertButton = 1093,
    };

    explicit UnspoolDialog(QWidget* parent = nullptr);
    ~UnspoolDialog() override;

    FileList* pdfList() const { return pdfList_; }
    FileList* textList() const { return textList_; }
    QPushButton* button(int control) const { return buttons_.value(control, nullptr); }

    // Command handlers; the buttons and the double clicks of the lists call
    // them.
    void OnAddFiles();
    void OnRemove();
    void OnClearList();
    void OnConvert();
    void OnDblclkPdfList();
    void OnDblclkTextList();

    RunProgressPanel* runProgressPanel() const { return runPanel_; }
    // Quit and the close box cancel a run first and close the window once
    // it has stopped; Escape only cancels it.
    void reject() override;
    void done(int result) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildControls();
    QPushButton* addButton(int control, const QString& text);

    RunProgressPanel* runPanel_ = nullptr;
    ListRun* listRun_ = nullptr;
    int closeAfterRun_ = -1;
    FileList* pdfList_ = nullptr;
    FileList* textList_ = nullptr;
    QHash<int, QPushButton*> buttons_;
};

}  // namespace leafwright
