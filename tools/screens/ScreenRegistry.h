#pragma once

#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

namespace zelta {
class TDm_Dados;
struct Sessao;
} // namespace zelta

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
// How the shown window becomes a picture; without one, the whole window.
using ScreenGrab = std::function<QPixmap(QWidget&)>;

struct Screen {
    QString name;
    ScreenFactory make;
    ScreenGrab grab;
};

// Every screen registered, in registration order.
QList<Screen>& screenRegistry();

// Registers a screen from a source file of the tool, at start-up:
//   static const ScreenRegistrar about("sobre", [](ScreenContext&) { ... });
struct ScreenRegistrar {
    ScreenRegistrar(const char* name, ScreenFactory make, ScreenGrab grab = {});
};

// Lets pending layout, polish and paint events run for at least ms.
void settle(int ms = 100);

// A grab of part of a window: the boxes that hold the named children (each
// child's nearest enclosing group box, whose title is the field's label), with
// a small margin. A name not found leaves the whole window, so a renamed field
// shows too much rather than nothing.
ScreenGrab boxesAround(const QStringList& childNames);

} // namespace zelta::screens
