#include "platform/ui/WindowPlacement.h"

#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QTreeView>
#include <QWidget>

#include <algorithm>

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

void widenToShowColumns(QWidget* window, QAbstractItemView* view)
{
    const auto* table = qobject_cast<const QTableView*>(view);
    const auto* tree = qobject_cast<const QTreeView*>(view);
    QHeaderView* header = table ? table->horizontalHeader() : tree ? tree->header() : nullptr;
    if (!header || !view->model())
        return;
    if (QLayout* layout = window->layout())
        layout->activate();
    // The columns, the view's frame, a table's row heading and room for a
    // vertical scroll bar.
    int needed = 2 * view->frameWidth() + view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
    if (table && !table->verticalHeader()->isHidden())
        needed += table->verticalHeader()->sizeHint().width();
    // A column narrower than its heading is widened to it first.
    for (int column = 0; column < header->count(); ++column) {
        if (header->sectionResizeMode(column) == QHeaderView::Interactive
            && header->sectionSize(column) < header->sectionSizeHint(column))
            header->resizeSection(column, header->sectionSizeHint(column));
    }
    const int last = header->logicalIndex(header->count() - 1);
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        const bool stretched = header->sectionResizeMode(column) == QHeaderView::Stretch
                               || (column == last && header->stretchLastSection());
        const int whole = std::max(header->sectionSizeHint(column), view->sizeHintForColumn(column));
        needed += stretched ? whole : std::max(whole, header->sectionSize(column));
    }
    const int grow = needed - view->width();
    if (grow <= 0)
        return;
    const QSize size(window->width() + grow, window->height());
    if (window->isVisible()) {
        resizeKeepingCentre(window, size, window->frameGeometry().center());
        return;
    }
    const QScreen* screen = window->screen();
    window->resize(screen ? size.boundedTo(screen->availableGeometry().size()) : size);
}

QRect clientFilling(const QRect& area, const QMargins& extents)
{
    const bool sound = extents.left() >= 0 && extents.top() >= 0 && extents.right() >= 0 && extents.bottom() >= 0;
    const QRect client = area.marginsRemoved(extents);
    return sound && client.isValid() ? client : area;
}

QRect clientAlmostFilling(const QRect& area, const QMargins& extents)
{
    return clientFilling(area.adjusted(0, 0, -1, -1), extents);
}

} // namespace plat::ui
