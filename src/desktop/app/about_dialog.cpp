#include "desktop/app/about_dialog.h"

#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "core/settings/product_info.h"
#include "desktop/platform/desktop_opener.h"
#include "desktop/platform/program_folders.h"
#include "desktop/widgets/dialog_units.h"
#include "desktop/widgets/pictures.h"

namespace leafwright {

namespace {

QFont aboutFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSize(9);
    return font;
}

// The first line: 10 points, bold, in the system's default proportional face.
QFont thanksFont() {
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(10);
    font.setBold(true);
    return font;
}

QLabel* textAt(QWidget* parent, const QString& text, const QRect& where) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(where);
    return label;
}

QFrame* etchedLine(QWidget* parent, QFrame::Shape shape, const QRect& where) {
    auto* line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(where);
    return line;
}

}  // namespace

AboutDialog::AboutDialog(QString pagesFolder, QWidget* parent)
    : QDialog(parent), pagesFolder_(std::move(pagesFolder)) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Infomation"));
    setWindowIcon(programIcon());
    setFont(aboutFont());
    const DialogUnits units(font());
    setFixedSize(units.rect(0, 0, 245, 129).size());

    const QString name = QString::fromLatin1(product::kName);
    auto* group = new QGroupBox(
        name + QStringLiteral(" produce by ") + QString::fromLatin1(product::kMakerDomain), this);
    group->setGeometry(units.rect(5, 20, 180, 80));

    thanks_ =
        textAt(this, QStringLiteral("Thank you for use %1!").arg(name), units.rect(5, 5, 155, 10));
    thanks_->setWordWrap(false);
    thanks_->setFont(thanksFont());
    etchedLine(this, QFrame::HLine, units.rect(5, 15, 180, 1));

    // The group box's lines are children of the window, placed in window units
    // like the rest.
    textAt(this, name + QStringLiteral(" changes your plain text files into PDF files."),
           units.rect(10, 30, 165, 15));
    // In the fonts here this line takes two lines, which need a little more
    // than the 15 units it was given; the next line starts at 70.
    textAt(this,
           QStringLiteral("It writes the PDF natively, with no PostScript step and no printer."),
           units.rect(10, 50, 165, 19));
    textAt(this, QStringLiteral("It is very easy to use."), units.rect(10, 70, 165, 10));
    textAt(this, QStringLiteral("No separate PDF application is required."),
           units.rect(10, 85, 165, 10));
    // The maker's address is longer than the space the line once had; it may
    // run up to the vertical line.
    textAt(this, QStringLiteral("Email :  ") + QString::fromLatin1(product::kMakerEmail),
           units.rect(5, 115, 180, 10));
    etchedLine(this, QFrame::VLine, units.rect(190, 5, 1, 120));

    visitWeb_ = new QPushButton(QStringLiteral("Visit Our Web "), this);
    visitWeb_->setGeometry(units.rect(195, 45, 48, 15));
    visitWeb_->setFocusPolicy(Qt::ClickFocus);  // not reached by Tab
    visitWeb_->setAutoDefault(false);
    contactUs_ = new QPushButton(QStringLiteral("Contact Us"), this);
    contactUs_->setGeometry(units.rect(195, 65, 48, 15));
    contactUs_->setAutoDefault(false);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setGeometry(units.rect(195, 110, 48, 14));
    ok_->setDefault(true);
    setTabOrder(contactUs_, ok_);

    connect(visitWeb_, &QPushButton::clicked, this, [this] { OnVisitWeb(); });
    connect(contactUs_, &QPushButton::clicked, this, [this] { OnContactUs(); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

// Neither request's result is examined: what the desktop reports is its own.
void AboutDialog::OnVisitWeb() {
    openWebAddress(QString::fromLatin1(product::kMakerWebAddress));
}

void AboutDialog::OnContactUs() {
    openFileWithDefaultProgram(QDir(pagesFolder_).filePath(QString::fromLatin1(kContactPageName)));
}

}  // namespace leafwright
