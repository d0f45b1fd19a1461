#include "platform/ui/PageView.h"

#include "platform/report/PagePainter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace plat::ui {

using plat::report::PageModel;

namespace {

// The lines one notch of the wheel or an arrow key scrolls, in pixels.
constexpr int kScrollStep = 40;

} // namespace

PageView::PageView(const PageModel* pages, QWidget* parent) : QAbstractScrollArea(parent), m_pages(pages)
{
    setBackgroundRole(QPalette::Dark);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    // Always there, so that the room for the pages does not change with the
    // zoom and a width that fits the pages stays fitting.
    setVerticalScrollBarPolicy(m_pages->isEmpty() ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    updateScrollBars();
}

QSize PageView::pageSize() const
{
    const QSizeF paper = m_pages->paper;
    return QSize(std::max(1, qRound(paper.width() / 25.4 * m_dpi)), std::max(1, qRound(paper.height() / 25.4 * m_dpi)));
}

int PageView::rowCount() const { return (m_pages->pageCount() + m_across - 1) / m_across; }

int PageView::rowPitch() const { return pageSize().height() + kGap; }

QSize PageView::contentSize() const
{
    if (m_pages->isEmpty())
        return QSize(0, 0);
    const QSize page = pageSize();
    const int across = std::min(m_across, m_pages->pageCount());
    return QSize(2 * kMargin + across * page.width() + (across - 1) * kGap,
                 2 * kMargin + rowCount() * page.height() + (rowCount() - 1) * kGap);
}

// Pages narrower than the view stand in its middle.
int PageView::contentLeft() const
{
    const int room = viewport()->width() - contentSize().width();
    return room > 0 ? room / 2 : -horizontalScrollBar()->value();
}

QRect PageView::pageRectInView(int index) const
{
    const QSize page = pageSize();
    const int row = index / m_across;
    const int column = index % m_across;
    return QRect(contentLeft() + kMargin + column * (page.width() + kGap),
                 kMargin + row * rowPitch() - verticalScrollBar()->value(), page.width(), page.height());
}

int PageView::pageAtTop() const
{
    if (m_pages->isEmpty())
        return 0;
    const QScrollBar* bar = verticalScrollBar();
    if (bar->maximum() > 0 && bar->value() >= bar->maximum())
        return (rowCount() - 1) * m_across;
    return rowAt(bar->value()) * m_across;
}

// The row whose top edge is at most the margin below the scroll position y
// (in the pages' coordinates): the row a view scrolled to y is reading.
int PageView::rowAt(int y) const { return std::clamp(int(std::floor(double(y + kMargin) / rowPitch())), 0, rowCount() - 1); }

void PageView::updateScrollBars()
{
    const QSize content = contentSize();
    const QSize room = viewport()->size();
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    v->setRange(0, std::max(0, content.height() - room.height()));
    v->setPageStep(std::max(1, room.height()));
    v->setSingleStep(kScrollStep);
    h->setRange(0, std::max(0, content.width() - room.width()));
    h->setPageStep(std::max(1, room.width()));
    h->setSingleStep(kScrollStep);
}

void PageView::restoreAnchor()
{
    if (m_pages->isEmpty())
        return;
    const int row = std::clamp(m_anchorPage, 0, m_pages->pageCount() - 1) / m_across;
    const int y = row * rowPitch() + int(std::lround(m_anchorFraction * rowPitch()));
    m_moving = true;
    verticalScrollBar()->setValue(y);
    m_moving = false;
    m_lastTop = pageAtTop();
    viewport()->update();
}

void PageView::setScale(int dpi, int across)
{
    m_dpi = std::max(1, dpi);
    m_across = std::max(1, across);
    m_moving = true;
    updateScrollBars();
    m_moving = false;
    restoreAnchor();
}

void PageView::scrollToPage(int index)
{
    m_anchorPage = index;
    m_anchorFraction = 0;
    restoreAnchor();
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_moving = true;
    updateScrollBars();
    m_moving = false;
    restoreAnchor();
}

void PageView::scrollContentsBy(int dx, int dy)
{
    viewport()->scroll(dx, dy);
    if (m_moving || m_pages->isEmpty())
        return;
    // Where the user put the view is what a later change of scale keeps.
    const int y = verticalScrollBar()->value();
    const int row = rowAt(y);
    m_anchorPage = row * m_across;
    m_anchorFraction = double(y - row * rowPitch()) / rowPitch();
    const int top = pageAtTop();
    if (top != m_lastTop) {
        m_lastTop = top;
        emit topPageChanged(top);
    }
}

void PageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    if (m_pages->isEmpty()) {
        painter.setPen(Qt::white);
        painter.drawText(viewport()->rect().adjusted(24, 24, -24, -24), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         QStringLiteral("O relatório não tem linhas a imprimir."));
        return;
    }
    const QRect exposed = event->rect();
    const int top = verticalScrollBar()->value() + exposed.top() - kMargin;
    const int bottom = verticalScrollBar()->value() + exposed.bottom() - kMargin;
    const int firstRow = std::clamp(top / rowPitch(), 0, rowCount() - 1);
    const int lastRow = std::clamp(bottom / rowPitch(), 0, rowCount() - 1);
    const int dpm = qRound(m_dpi / 0.0254);
    for (int index = firstRow * m_across; index < std::min(m_pages->pageCount(), (lastRow + 1) * m_across); ++index) {
        const QRect page = pageRectInView(index);
        const QRect part = page & exposed;
        if (part.isEmpty())
            continue;
        // Only the exposed part, painted at the page's resolution so that the
        // fonts take their sizes at it, as on the printed page.
        QImage tile(part.size(), QImage::Format_RGB32);
        tile.setDotsPerMeterX(dpm);
        tile.setDotsPerMeterY(dpm);
        tile.fill(Qt::white);
        QPainter tilePainter(&tile);
        tilePainter.translate(page.topLeft() - part.topLeft());
        plat::report::paintPage(tilePainter, m_pages->pages.at(index));
        tilePainter.end();
        painter.drawImage(part.topLeft(), tile);
    }
}

} // namespace plat::ui
