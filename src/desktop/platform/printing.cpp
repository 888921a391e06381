#include "desktop/platform/printing.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPageRanges>
#include <QPointer>
#include <QPrintDialog>
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
    if (dialog.exec() != QDialog::Accepted) return {PrintRequest::Outcome::Cancelled, {}};

    PrintChoice choice;
    choice.printer = printer.printerName();
    choice.copies = std::max(1, printer.copyCount());
    choice.pages = pagesOf(printer);
    choice.sides = sidesOf(printer.duplex());
    return {PrintRequest::Outcome::Chosen, choice};
}

QStringList lpArguments(const PrintChoice& choice, const QString& file) {
    QStringList arguments;
    if (!choice.printer.isEmpty()) arguments << QStringLiteral("-d") << choice.printer;
    arguments << QStringLiteral("-n") << QString::number(std::max(1, choice.copies));
    if (!choice.pages.isEmpty()) arguments << QStringLiteral("-P") << choice.pages;
    arguments << QStringLiteral("-o") << QString::fromLatin1(sidesOption(choice.sides));
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
