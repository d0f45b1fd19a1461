#pragma once

#include "platform/report/ReportLayout.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace plat::report {

// One line of text placed on a page: its box in millimetres from the paper's
// top left corner, and how it sits in the box. The layout has already wrapped
// and cut the text, so a painter draws it on one line as it stands.
struct TextRun {
    QRectF rect;
    QString text;
    Font font;
    Qt::Alignment align = Qt::AlignLeft;
};

// The width of the line that draws a frame.
constexpr double kFrameLineMm = 0.25;

struct Page {
    int number = 0;       // from 1
    QList<QRectF> frames; // rectangles drawn with a thin line
    QList<TextRun> texts;

    // Texts of the page in reading order: top to bottom, then left to right by
    // the edge or centre each text is aligned to.
    QStringList lines() const;
};

// What laying out a report produces: its pages, ready for any painter.
struct PageModel {
    QString title;
    QSizeF paper{210, 297};
    QList<Page> pages;

    bool isEmpty() const { return pages.isEmpty(); }
    int pageCount() const { return int(pages.size()); }
};

} // namespace plat::report
