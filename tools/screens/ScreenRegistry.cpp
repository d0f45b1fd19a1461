#include "ScreenRegistry.h"

namespace zelta::screens {

QList<Screen>& screenRegistry()
{
    static QList<Screen> screens;
    return screens;
}

ScreenRegistrar::ScreenRegistrar(const char* name, ScreenFactory make)
{
    screenRegistry().append(Screen{QString::fromUtf8(name), std::move(make)});
}

} // namespace zelta::screens
