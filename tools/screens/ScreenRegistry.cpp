#include "ScreenRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>

namespace zelta::screens {

QList<Screen>& screenRegistry()
{
    static QList<Screen> screens;
    return screens;
}

ScreenRegistrar::ScreenRegistrar(const char* name, ScreenFactory make, ScreenGrab grab)
{
    screenRegistry().append(Screen{QString::fromUtf8(name), std::move(make), std::move(grab)});
}

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (t.elapsed() < ms);
}

ScreenGrab boxesAround(const QStringList& childNames)
{
    return [childNames](QWidget& window) {
        QRect area;
        for (const QString& name : childNames) {
            QWidget* part = window.findChild<QWidget*>(name);
            if (!part)
                return window.grab();
            QWidget* box = part;
            while (box->parentWidget() != &window && !qobject_cast<QGroupBox*>(box))
                box = box->parentWidget();
            area |= QRect(box->mapTo(&window, QPoint(0, 0)), box->size());
        }
        const int margin = 6;
        return window.grab(area.adjusted(-margin, -margin, margin, margin) & window.rect());
    };
}

} // namespace zelta::screens
