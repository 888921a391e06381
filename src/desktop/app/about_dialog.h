#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace leafwright {

// The "Infomation" box: a few lines about the program, a button that opens
// the maker's web page and one that opens the contact page found in
// pagesFolder.
class AboutDialog : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(QString pagesFolder, QWidget* parent = nullptr);

    QPushButton* visitWebButton() const { return visitWeb_; }
    QPushButton* contactUsButton() const { return contactUs_; }
    QPushButton* okButton() const { return ok_; }
    QLabel* thanksLabel() const { return thanks_; }

  protected:
    void OnVisitWeb();
    void OnContactUs();

  private:
    QString pagesFolder_;
    QLabel* thanks_ = nullptr;
    QPushButton* visitWeb_ = nullptr;
    QPushButton* contactUs_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace leafwright
