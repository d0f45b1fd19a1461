#pragma once

#include "platform/report/PageModel.h"

#include <QAbstractScrollArea>

namespace plat::ui {

// The pages of a report one under the other (or two side by side), with a gap
// between them, in one continuous scroll: the wheel, the scroll bar, the arrow
// keys and PageUp/PageDown move across the pages' ends. Only the pages in view
// are painted, each straight from the page model at the resolution shown, so
// that a report of thousands of pages costs no more than one of a few.
class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The model must outlive the view.
    explicit PageView(const plat::report::PageModel* pages, QWidget* parent = nullptr);

    // Pages shown at dpi dots per inch, across of them in a row. The page at
    // the top of the view stays there.
    void setScale(int dpi, int across);
    int dpi() const { return m_dpi; }
    int across() const { return m_across; }

    // The size of a page at the resolution shown, in pixels.
    QSize pageSize() const;
    // Where a page is, in the viewport's coordinates.
    QRect pageRectInView(int index) const;
    // The first page of the row at the top of the view, as the user reads it:
    // the row whose top edge is at most the margin below the view's top line;
    // the last row when the view is scrolled to its end.
    int pageAtTop() const;
    // Scrolls the row of the page to the top of the view, the margin above it
    // (as far as the scroll goes); the page stays the one kept in place by
    // setScale.
    void scrollToPage(int index);

    // Room around the pages and between them, in pixels.
    static constexpr int kMargin = 12;
    static constexpr int kGap = 16;

signals:
    // The user scrolled another page to the top of the view.
    void topPageChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int rowCount() const;
    int rowAt(int y) const;
    int rowPitch() const;
    QSize contentSize() const;
    int contentLeft() const;
    void updateScrollBars();
    // The scroll position that shows the anchor page with the anchored part of
    // its row at the top.
    void restoreAnchor();

    const plat::report::PageModel* m_pages;
    int m_dpi = 96;
    int m_across = 1;
    // The page kept at the top, and how far past its row's scroll position
    // the view's top line is, in rows: what a change of scale or of the
    // view's size keeps.
    int m_anchorPage = 0;
    double m_anchorFraction = 0;
    bool m_moving = false; // the view scrolls itself: no anchor or signal
    int m_lastTop = 0;
};

} // namespace plat::ui
