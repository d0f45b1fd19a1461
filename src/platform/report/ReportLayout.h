#pragma once

#include <QList>
#include <QMarginsF>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <Qt>

namespace plat::report {

// A font as a layout names it: family, size in points, weight.
struct Font {
    QString family = QStringLiteral("Arial");
    double points = 10;
    bool bold = false;

    friend bool operator==(const Font&, const Font&) = default;
};

inline Font bold(double points = 10) { return Font{QStringLiteral("Arial"), points, true}; }
inline Font regular(double points = 10) { return Font{QStringLiteral("Arial"), points, false}; }

// What an item of a band prints.
enum class ItemKind {
    Label,      // a fixed text, which a before-print hook may replace
    DataField,  // the display text of a field of the report's rows (or of the linked detail rows)
    DateTime,   // the date and time at which the report was laid out
    PageNumber, // the number of the page
};

// Which rows a data field reads.
enum class FieldSource { Master, Detail };

// One item of a band. Positions and sizes are in millimetres from the band's
// top left corner.
struct ReportItem {
    QString name; // for hooks: setText / setEnabled
    ItemKind kind = ItemKind::Label;
    QPointF pos;
    double width = 0;  // 0: as wide as its text
    double height = 0; // 0: one line; with wordWrap, the box's height
    Qt::Alignment align = Qt::AlignLeft;
    bool alignToBand = false; // align within the band's width, pos.x in from its edges
    bool wordWrap = false;    // wrap at word boundaries inside the box; lines below it are not shown
    QString text;             // a label's text
    QString field;            // a data field's name
    FieldSource source = FieldSource::Master;
    Font font;
    bool enabled = true;
    // Above 0, a text wider than its box is printed in a smaller size of the
    // same font, down to this many points; only past that is it cut, and the
    // cut is marked. 0: the text is cut at its box unmarked.
    double minPoints = 0;

    // Fluent setters, so that a layout reads as a table of items.
    ReportItem& named(const QString& n)
    {
        name = n;
        return *this;
    }
    ReportItem& fixedWidth(double w, Qt::Alignment a = Qt::AlignLeft)
    {
        width = w;
        align = a;
        return *this;
    }
    ReportItem& box(double w, double h)
    {
        width = w;
        height = h;
        wordWrap = true;
        return *this;
    }
    ReportItem& toBand(Qt::Alignment a)
    {
        alignToBand = true;
        align = a;
        return *this;
    }
    ReportItem& fromDetail()
    {
        source = FieldSource::Detail;
        return *this;
    }
    ReportItem& shrinkToFit(double floorPoints = 6)
    {
        minPoints = floorPoints;
        return *this;
    }
};

// A horizontal strip of the page: the page header, printed at the top of every
// page, or the detail band, printed once per row.
struct Band {
    double height = 0;
    bool framed = false; // a frame on all four sides
    QList<ReportItem> items;

    // Each adds an item and returns it for the fluent setters; the reference
    // holds until the next item is added.
    ReportItem& addLabel(const QString& text, double left, double top, const Font& font = Font());
    ReportItem& addField(const QString& field, double left, double top, const Font& font = Font());
    ReportItem& addDateTime(double left, double top, const Font& font = Font());
    ReportItem& addPageNumber(double left, double top, const Font& font = Font());

    const ReportItem* item(const QString& name) const; // by name, case-insensitive; null when absent
};

// The page form: paper size and margins in millimetres, one column.
struct PageSetup {
    QSizeF paper{210, 297}; // A4 portrait
    QMarginsF margins{10, 10, 10, 10};

    double printableWidth() const { return paper.width() - margins.left() - margins.right(); }
};

// A banded report's layout: its page form, the page header and the detail band.
struct ReportLayout {
    QString title; // the preview window's caption
    PageSetup page;
    Band pageHeader;
    Band detail;
};

} // namespace plat::report
