#pragma once

#include <functional>
#include <type_traits>

class QWidget;

namespace plat::ui {

// Runs one event handler. A failure of the table engine, of the run-time or of
// anything else ends the handler and is shown in the general error report; the
// program then goes on. Returns false when the handler failed.
bool runGuarded(const std::function<void()>& handler, QWidget* parent = nullptr);

// Wraps a member function as a guarded slot, for connect():
//   connect(button, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_X::BitBtn1Click));
// The slot takes the leading arguments of the signal that the handler declares.
template <class Obj, class Base, class... Args>
auto guarded(Obj* object, void (Base::*handler)(Args...))
{
    static_assert(std::is_base_of_v<Base, Obj>);
    return [object, handler](Args... args) { runGuarded([&] { (object->*handler)(args...); }); };
}

// Wraps any callable without arguments.
template <class F>
auto guarded(F handler) -> std::enable_if_t<std::is_invocable_v<F&>, std::function<void()>>
{
    return [handler = std::move(handler)]() mutable { runGuarded([&] { handler(); }); };
}

} // namespace plat::ui
