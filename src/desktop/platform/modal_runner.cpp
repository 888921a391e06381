#include "desktop/platform/modal_runner.h"

#include <QDialog>

namespace leafwright {

int runModal(QDialog& dialog) {
    if (ModalDialogSeam* seam = ModalDialogSeam::active()) return seam->run(dialog);
    return dialog.exec();
}

ModalDialogSeam::ModalDialogSeam(Handler handler) : handler_(std::move(handler)) {}

int ModalDialogSeam::run(QDialog& dialog) {
    ran_.push_back(QString::fromLatin1(dialog.metaObject()->className()));
    return handler_ ? handler_(dialog) : int(QDialog::Rejected);
}

}  // namespace leafwright
