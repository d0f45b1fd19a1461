#include "platform/ui/Guard.h"

#include "platform/ui/Messages.h"

namespace plat::ui {

bool runGuarded(const std::function<void()>& handler, QWidget* parent)
{
    std::exception_ptr failure;
    try {
        handler();
        return true;
    } catch (...) {
        failure = std::current_exception();
    }
    // Reported after the catch block: the message box runs an event loop of
    // its own, which should not run while an exception is being handled.
    reportException(failure, parent);
    return false;
}

} // namespace plat::ui
