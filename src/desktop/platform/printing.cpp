#include "desktop/platform/printing.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPageRanges>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>

namespace leafwright {

namespace {

// The dialog cannot know how long the documents are; any page it offers
// up to this one is taken, and lp prints what exists.
constexpr int kLastPageOffered = 99999;

const char* sidesOption(PrintChoice::Sides sides) {
    switch (sides) {
        case PrintChoice::Sides::LongEdge:
            return "sides=two-sided-long-edge";
        case PrintChoice::Sides::ShortEdge:
            return "sides=two-sided-short-edge";
        case PrintChoice::Sides::OneSided:
            break;
    }
    return "sides=one-sided";
}

PrintChoice::Sides sidesOf(QPrinter::DuplexMode duplex) {
    switch (duplex) {
        case QPrinter::DuplexShortSide:
            return PrintChoice::Sides::ShortEdge;
        case QPrinter::DuplexLongSide:
        case QPrinter::DuplexAuto:
            return PrintChoice::Sides::LongEdge;
        case QPrinter::DuplexNone:
            break;
    }
    return PrintChoice::Sides::OneSided;
}

// What the dialog chose beyond printer, copies, pages and sides, as options
// of lp. Qt keeps the print system's own options (page set, pages per
// sheet, banners, priority) in a property of the print engine that it names
// in its CUPS support (PPK_CupsOptions): pairs of name and value.
QStringList furtherOptions(QPrinter& printer) {
    constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    QStringList options;
    options << QStringLiteral("collate=%1").arg(printer.collateCopies() ? "true" : "false");
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        options << QStringLiteral("outputorder=reverse");
    const QStringList pairs = printer.printEngine()->property(kCupsOptions).toStringList();
    static const QStringList kPassedApart = {
        QStringLiteral("copies"), QStringLiteral("page-ranges"), QStringLiteral("sides"),
        QStringLiteral("collate"), QStringLiteral("outputorder")};
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        if (pairs[i + 1].isEmpty() || kPassedApart.contains(pairs[i])) continue;
        options << pairs[i] + QLatin1Char('=') + pairs[i + 1];
    }
    return options;
}

// Qt 6.4's dialog refuses every text in its "Pages" field (it checks the
// pages it has already handed to the print system); "Pages from ... to"
// works, so only that is offered.
void hideBrokenPagesField(QPrintDialog& dialog) {
    for (const char* name : {"pagesRadioButton", "pagesLineEdit"})
        if (auto* field = dialog.findChild<QWidget*>(QString::fromLatin1(name))) field->hide();
}

QString pagesOf(const QPrinter& printer) {
    if (printer.printRange() != QPrinter::PageRange) return {};
    const QPageRanges ranges = printer.pageRanges();
    if (!ranges.isEmpty()) return ranges.toString();
    if (printer.fromPage() <= 0) return {};
    return QStringLiteral("%1-%2").arg(printer.fromPage()).arg(printer.toPage());
}

// One lp for one file, owned by the application so that closing the window
// does not kill it; a refusal is told while the window lives.
void startLp(const QString& lp, QWidget* owner, const QString& file, const PrintChoice& choice,
             const PrintRefusal& onRefused) {
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(lp);
    process->setArguments(lpArguments(choice, file));
    process->setStandardInputFile(QProcess::nullDevice());
    const QPointer<QWidget> window(owner);
    auto refused = [window, file, onRefused](const QString& cause) {
        if (window && onRefused) onRefused(file, cause);
    };
    QObject::connect(
        process, &QProcess::finished, process,
        [process, refused](int exitCode, QProcess::ExitStatus status) {
            const QString said = QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
            if (status != QProcess::NormalExit)
                refused(QStringLiteral("lp stopped before it was done"));
            else if (exitCode != 0)
                refused(said.isEmpty() ? QStringLiteral("lp ended with status %1").arg(exitCode)
                                       : said);
            process->deleteLater();
        });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, refused](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         refused(process->errorString());
                         process->deleteLater();
                     });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, process,
                     [process] { process->setParent(nullptr); });
    process->start();
}

}  // namespace

PrintRequest askPrintChoice(QWidget* owner) {
    if (PrintDialogSeam* seam = PrintDialogSeam::active()) return seam->answer();
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        return {PrintRequest::Outcome::NoPrinter, {}};

    QPrinter printer(QPrinterInfo::defaultPrinter().isNull()
                         ? QPrinterInfo::availablePrinters().first()
                         : QPrinterInfo::defaultPrinter());
    printer.setFromTo(0, 0);
    QPrintDialog dialog(&printer, owner);
    // The documents go to the print system as they are: no printing into a
    // file, and no selection or current page, which only a shown document
    // has.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, kLastPageOffered);
    hideBrokenPagesField(dialog);
    if (dialog.exec() != QDialog::Accepted) return {PrintRequest::Outcome::Cancelled, {}};

    PrintChoice choice;
    choice.printer = printer.printerName();
    choice.copies = std::max(1, printer.copyCount());
    choice.pages = pagesOf(printer);
    choice.sides = sidesOf(printer.duplex());
    choice.options = furtherOptions(printer);
    return {PrintRequest::Outcome::Chosen, choice};
}

QStringList lpArguments(const PrintChoice& choice, const QString& file) {
    QStringList arguments;
    if (!choice.printer.isEmpty()) arguments << QStringLiteral("-d") << choice.printer;
    arguments << QStringLiteral("-n") << QString::number(std::max(1, choice.copies));
    if (!choice.pages.isEmpty()) arguments << QStringLiteral("-P") << choice.pages;
    arguments << QStringLiteral("-o") << QString::fromLatin1(sidesOption(choice.sides));
    for (const QString& option : choice.options) arguments << QStringLiteral("-o") << option;
    arguments << QFileInfo(file).absoluteFilePath();
    return arguments;
}

bool printFiles(QWidget* owner, const QStringList& files, const PrintChoice& choice,
                const PrintRefusal& onRefused) {
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty()) return false;
    for (const QString& file : files) startLp(lp, owner, file, choice, onRefused);
    return true;
}

PrintRequest PrintDialogSeam::answer() {
    ++asked_;
    if (noPrinter_) return {PrintRequest::Outcome::NoPrinter, {}};
    if (choices_.empty()) return {PrintRequest::Outcome::Cancelled, {}};
    PrintRequest request{PrintRequest::Outcome::Chosen, choices_.front()};
    choices_.pop_front();
    return request;
}

}  // namespace leafwright
