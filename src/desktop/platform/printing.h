#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "core/platform/active_seam.h"

class QWidget;

namespace leafwright {

// How the user asked for documents to be printed.
struct PrintChoice {
    enum class Sides { OneSided, LongEdge, ShortEdge };
    QString printer;
    int copies = 1;
    // Pages as CUPS takes them ("1-3,5"); empty for every page.
    QString pages;
    Sides sides = Sides::OneSided;
    // Further choices of the dialog as options of lp ("page-set=odd",
    // "collate=true"), each passed with -o.
    QStringList options;
};

// What asking for a print came to.
struct PrintRequest {
    enum class Outcome { Chosen, Cancelled, NoPrinter };
    Outcome outcome = Outcome::Cancelled;
    PrintChoice choice;
};

// Shows the print dialog (printer, copies, pages, two-sided printing) over
// `owner`; says NoPrinter without a dialog when the print system knows no
// printer.
PrintRequest askPrintChoice(QWidget* owner);

// The arguments of `lp` that print `file` as chosen.
QStringList lpArguments(const PrintChoice& choice, const QString& file);

// Told of a file that `lp` refused, with `lp`'s own words (or what stopped
// it), later, on this thread.
using PrintRefusal = std::function<void(const QString& file, const QString& cause)>;

// Hands each file to the print system with its own `lp`, started and not
// waited for, so that the window goes on at once; `onRefused` hears of each
// file that `lp` refuses, as long as `owner` lives. Returns false, starting
// nothing, when there is no `lp` on the path.
bool printFiles(QWidget* owner, const QStringList& files, const PrintChoice& choice,
                const PrintRefusal& onRefused);

// Test seam. While an object of this class lives, askPrintChoice opens no
// dialog: it answers with the next scripted choice, Cancelled when none is
// left, or NoPrinter once noPrinter() is set. printFiles still runs `lp`.
class PrintDialogSeam : public ActiveSeam<PrintDialogSeam> {
  public:
    void nextChoice(const PrintChoice& choice) { choices_.push_back(choice); }
    void setNoPrinter(bool none) { noPrinter_ = none; }
    int asked() const { return asked_; }

    PrintRequest answer();

  private:
    std::deque<PrintChoice> choices_;
    bool noPrinter_ = false;
    int asked_ = 0;
};

}  // namespace leafwright
