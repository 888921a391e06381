#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "core/platform/active_seam.h"

class QDialog;

namespace leafwright {

// Runs a dialog modally and returns its result (QDialog::Accepted or
// Rejected). Every window that a command opens goes through here.
int runModal(QDialog& dialog);

// Test seam. While an object of this class lives, runModal shows no window:
// it records the dialog's class name and hands the dialog, fully built but not
// shown, to the handler, whose return value is the dialog's result. Without a
// handler the dialog is rejected.
class ModalDialogSeam : public ActiveSeam<ModalDialogSeam> {
  public:
    using Handler = std::function<int(QDialog&)>;

    explicit ModalDialogSeam(Handler handler = {});

    void setHandler(Handler handler) { handler_ = std::move(handler); }
    const std::vector<QString>& ran() const { return ran_; }

    int run(QDialog& dialog);

  private:
    Handler handler_;
    std::vector<QString> ran_;
};

}  // namespace leafwright
