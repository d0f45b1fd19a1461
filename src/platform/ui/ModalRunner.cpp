#include "platform/ui/ModalRunner.h"

#include "platform/ui/FileDialogs.h"
#include "platform/ui/Form.h"
#include "platform/ui/WindowChrome.h"

#include <QDialog>
#include <QPointer>

namespace plat::ui {

namespace {

ModalHook& currentHook()
{
    static ModalHook hook;
    return hook;
}

} // namespace

ModalHook setModalHook(ModalHook hook)
{
    ModalHook previous = std::move(currentHook());
    currentHook() = std::move(hook);
    return previous;
}

int showModal(QDialog* dialog)
{
    // A form opens what it works on now, after it was built; a failure there
    // has closed it again and ends the command.
    if (auto* form = qobject_cast<Form*>(dialog))
        form->create();
    prepareDialog(dialog);
    if (!currentHook()) {
        const int result = dialog->exec();
        closeCompleterPopups(dialog);
        return result;
    }

    // A copy, so that a hook may replace itself while it runs.
    const ModalHook hook = currentHook();
    QPointer<QDialog> guard(dialog);
    dialog->setResult(QDialog::Rejected);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    hook(dialog);
    if (!guard)
        return QDialog::Rejected;
    if (dialog->isVisible())
        dialog->done(QDialog::Rejected);
    closeCompleterPopups(dialog);
    return dialog->result();
}

} // namespace plat::ui
