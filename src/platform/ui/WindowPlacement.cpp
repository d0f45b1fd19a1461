#include "platform/ui/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

namespace plat::ui {

void resizeKeepingCentre(QWidget* window, QSize size, QPoint centre)
{
    QScreen* screen = window->screen();
    if (!screen) {
        window->resize(size);
        return;
    }
    const QRect area = screen->availableGeometry();
    // The title bar and borders the window manager adds around the client area.
    const QSize decoration = window->frameGeometry().size() - window->geometry().size();
    size = size.boundedTo(area.size() - decoration).expandedTo(window->minimumSize());
    window->resize(size);

    QRect frame(QPoint(0, 0), size + decoration);
    frame.moveCenter(centre);
    const int x = qBound(area.left(), frame.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int y = qBound(area.top(), frame.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    window->move(x, y);
}

} // namespace plat::ui
