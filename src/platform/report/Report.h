#pragma once

#include "platform/report/PageModel.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportSource.h"
#include "platform/report/TextMeasurer.h"

#include <QDateTime>
#include <functional>

namespace plat::report {

// What a before-print hook sees of the band about to be printed: the current
// row (and the linked detail row), and the band's items, whose label texts and
// enabled states it may change for this band only.
class BandContext {
public:
    BandContext(const ReportSource& master, const ReportSource* detail, QList<ReportItem>& items, int row)
        : m_master(master), m_detail(detail), m_items(items), m_row(row)
    {}

    const ReportSource& master() const { return m_master; }
    const ReportSource* detail() const { return m_detail; }
    int row() const { return m_row; } // from 1

    // Sets a label's text; enables or disables any item. Unknown names throw,
    // since they can only be a fault of the report's definition.
    void setText(const QString& itemName, const QString& text);
    void setEnabled(const QString& itemName, bool enabled);

private:
    ReportItem& item(const QString& name);
    const ReportSource& m_master;
    const ReportSource* m_detail;
    QList<ReportItem>& m_items;
    int m_row;
};

// A banded report: a layout over rows, an optional master-detail link to a
// second source and a hook run before each detail band. Laying it out walks
// the rows from the first to the end and fills pages: the page header at the
// top of every page, then one detail band per row while it fits. No rows, no
// pages.
class Report {
public:
    using BeforePrint = std::function<void(BandContext&)>;

    explicit Report(ReportLayout layout = ReportLayout()) : m_layout(std::move(layout)) {}
    virtual ~Report() = default;

    ReportLayout& layout() { return m_layout; }
    const ReportLayout& layout() const { return m_layout; }
    QString title() const { return m_layout.title; }

    void setSource(ReportSource* rows) { m_source = rows; }
    ReportSource* source() const { return m_source; }

    // Before each detail band the detail source follows the master row's
    // masterField (see ReportSource::follow); detail items read from it.
    void setDetailLink(ReportSource* detail, const QString& masterField);
    void setBeforePrint(BeforePrint hook) { m_beforePrint = std::move(hook); }

    PageModel layOut(const TextMeasurer& measurer, const QDateTime& printedAt = QDateTime::currentDateTime()) const;
    // With the fonts' own metrics.
    PageModel layOut(const QDateTime& printedAt = QDateTime::currentDateTime()) const;

    static QString dateTimeText(const QDateTime& at);

private:
    ReportLayout m_layout;
    ReportSource* m_source = nullptr;
    ReportSource* m_detail = nullptr;
    QString m_masterField;
    BeforePrint m_beforePrint;
};

// Splits text into lines no wider than width, breaking at blanks and, for a
// word wider than the line, inside the word. Line breaks in the text are kept.
QStringList wrapText(const QString& text, double width, const Font& font, const TextMeasurer& measurer);

// The longest beginning of text that is no wider than width.
QString cutText(const QString& text, double width, const Font& font, const TextMeasurer& measurer);

// The mark that ends a text cut short of its value.
inline const QString kCutMark = QStringLiteral("\u2026");

// The longest beginning of text that, followed by the cut mark, is no wider
// than width, with the mark; the text itself when it fits.
QString cutTextMarked(const QString& text, double width, const Font& font, const TextMeasurer& measurer);

// The largest size, in steps of a tenth of a point from font's own size down
// to minPoints, at which text is no wider than width (minPoints when none is).
double fittingPoints(const QString& text, double width, const Font& font, double minPoints, const TextMeasurer& measurer);

} // namespace plat::report
