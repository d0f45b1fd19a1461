#pragma once

#include <functional>

class QDialog;

namespace plat::ui {

// Shows a window modally and returns its result (QDialog::Accepted or
// Rejected, or the code given to done()). The caller owns the dialog: create it
// for the command, show it here, let it go when the command ends. A
// plat::ui::Form is created here first (Form::create()); a failed creation
// throws from here, with the form closed again.
int showModal(QDialog* dialog);

// Replaces the modal loop, for tests: showModal() shows the dialog (application
// modal, without entering a loop) and calls the hook with it; the hook drives
// the dialog and closes it. A dialog still open when the hook returns is
// rejected, so no test can hang on it. An empty hook restores the real loop.
// Returns the hook that was installed before.
using ModalHook = std::function<void(QDialog*)>;
ModalHook setModalHook(ModalHook hook);

} // namespace plat::ui
