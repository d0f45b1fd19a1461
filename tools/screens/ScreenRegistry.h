#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace zelta {
class TDm_Dados;
struct Sessao;
}

namespace zelta::screens {

// What a screen is built from: the data module on the sample data, the
// session that windows receive from the main window, and the main window as
// their owner.
struct ScreenContext {
    TDm_Dados& dados;
    Sessao& sessao;
    QWidget* owner;
};

// One picture: a name (the PNG file's name) and the window to grab, built
// afresh and sized by the factory. The window is shown, grabbed and destroyed;
// a factory that returns no window skips its screen.
using ScreenFactory = std::function<std::unique_ptr<QWidget>(ScreenContext&)>;

struct Screen {
    QString name;
    ScreenFactory make;
};

// Every screen registered, in registration order.
QList<Screen>& screenRegistry();

// Registers a screen from a source file of the tool, at start-up:
//   static const ScreenRegistrar about("sobre", [](ScreenContext&) { ... });
struct ScreenRegistrar {
    ScreenRegistrar(const char* name, ScreenFactory make);
};

} // namespace zelta::screens
