#include "platform/ui/DBGrid.h"

#include "platform/ui/Guard.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QToolTip>

#include <algorithm>

namespace plat::ui {

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), m_model(new CursorModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setAlternatingRowColors(false);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* titles = horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The last column takes the width left over, so that a grid narrower than
    // its columns' widths needs no horizontal scrolling for its last one.
    titles->setStretchLastSection(true);

    // The selected row stays marked while another control has the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);

    connect(m_model, &CursorModel::currentRowChanged, this, &DBGrid::followCursor);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::applyWidths);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &DBGrid::onCurrentRowChanged);
}

void DBGrid::setDataSource(plat::db::DataSource* source) { m_model->setDataSource(source); }

void DBGrid::setColumns(const QList<GridColumn>& columns) { m_model->setColumns(columns); }

void DBGrid::setColumns(const QStringList& fields)
{
    QList<GridColumn> columns;
    for (const QString& f : fields)
        columns.append(GridColumn{f, {}, 0});
    setColumns(columns);
}

int DBGrid::widthForChars(int chars) const { return chars * fontMetrics().horizontalAdvance(u'0') + 8; }

void DBGrid::applyWidths()
{
    // Each column as wide as its field and its whole title, but no wider than
    // the grid, so that scrolled fully right a column still shows whole; the
    // last column is stretched over the width left, if any.
    const int room = std::max(isVisible() ? viewport()->width() - 2 : 600, widthForChars(10));
    QHeaderView* titles = horizontalHeader();
    const int last = m_model->columnCount() - 1;
    int used = 0;
    for (int c = 0; c <= last; ++c) {
        const int title = titles->sectionSizeHint(c);
        int width = std::min(std::max(widthForChars(m_model->columnWidthChars(c)), title), room);
        // The last column takes the room left when that shows it whole, so a
        // grid no wider than its window needs no scrolling for it.
        if (c == last && used < room)
            width = std::max(title, std::min(width, room - used));
        setColumnWidth(c, width);
        used += width;
    }
}

void DBGrid::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    applyWidths(); // the room is known now
}

bool DBGrid::viewportEvent(QEvent* event)
{
    // A text wider than its cell shows whole in a tool tip.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString text = index.data().toString();
        const int room = columnWidth(index.column()) - 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) - 4;
        if (index.isValid() && fontMetrics().horizontalAdvance(text) > room)
            QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QTableView::viewportEvent(event);
}

void DBGrid::followCursor(int row)
{
    m_following = true;
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const int column = std::clamp(currentIndex().column(), 0, std::max(0, m_model->columnCount() - 1));
        const QModelIndex here = m_model->index(row, column);
        selectionModel()->setCurrentIndex(here, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(here, QAbstractItemView::EnsureVisible);
    }
    m_following = false;
}

void DBGrid::onCurrentRowChanged(const QModelIndex& current, const QModelIndex&)
{
    if (m_following || !current.isValid())
        return;
    runGuarded(
        [&] {
            if (!m_model->moveToRow(current.row()))
                followCursor(m_model->currentRow()); // the cursor stays: so does the selection
        },
        window());
}

} // namespace plat::ui
