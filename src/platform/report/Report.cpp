#include "platform/report/Report.h"

#include "platform/system/Error.h"

#include <algorithm>
#include <cmath>

namespace plat::report {

using plat::Error;

// ------------------------------------------------------------------ band context

ReportItem& BandContext::item(const QString& name)
{
    for (ReportItem& it : m_items)
        if (it.name.compare(name, Qt::CaseInsensitive) == 0)
            return it;
    throw Error::layout(QStringLiteral("Relatório: item '%1' não encontrado").arg(name));
}

void BandContext::setText(const QString& itemName, const QString& text) { item(itemName).text = text; }

void BandContext::setEnabled(const QString& itemName, bool enabled) { item(itemName).enabled = enabled; }

// ------------------------------------------------------------------ text fitting

QString cutText(const QString& text, double width, const Font& font, const TextMeasurer& measurer)
{
    if (measurer.width(text, font) <= width)
        return text;
    // Widths grow with the length, so the longest fitting beginning is found by
    // halving.
    qsizetype lo = 0, hi = text.size();
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (measurer.width(text.left(mid), font) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    return text.left(lo);
}

QString cutTextMarked(const QString& text, double width, const Font& font, const TextMeasurer& measurer)
{
    if (measurer.width(text, font) <= width)
        return text;
    return cutText(text, width - measurer.width(kCutMark, font), font, measurer) + kCutMark;
}

double fittingPoints(const QString& text, double width, const Font& font, double minPoints, const TextMeasurer& measurer)
{
    const double full = measurer.width(text, font);
    if (full <= width || full <= 0)
        return font.points;
    // Widths scale with the size: the fitting size is found at once, and
    // checked, since a measurer may round.
    Font smaller = font;
    smaller.points = std::floor(font.points * width / full * 10) / 10;
    while (smaller.points > minPoints && measurer.width(text, smaller) > width)
        smaller.points = std::round(smaller.points * 10 - 1) / 10;
    return std::max(minPoints, smaller.points);
}

namespace {

void wrapParagraph(const QString& para, double width, const Font& font, const TextMeasurer& m, QStringList& out)
{
    const QStringList words = para.split(u' ', Qt::SkipEmptyParts);
    QString line;
    for (QString word : words) {
        const QString candidate = line.isEmpty() ? word : line + u' ' + word;
        if (m.width(candidate, font) <= width) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty())
            out << line;
        line.clear();
        // A word wider than the line is split where it no longer fits; at least
        // one character goes on each line so that the loop always advances.
        while (m.width(word, font) > width) {
            QString piece = cutText(word, width, font, m);
            if (piece.isEmpty())
                piece = word.left(1);
            out << piece;
            word = word.mid(piece.size());
        }
        line = word;
    }
    if (!line.isEmpty() || words.isEmpty())
        out << line;
}

} // namespace

QStringList wrapText(const QString& text, double width, const Font& font, const TextMeasurer& measurer)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList out;
    for (const QString& para : plain.split(u'\n'))
        wrapParagraph(para, width, font, measurer, out);
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

// ------------------------------------------------------------------ layout

void Report::setDetailLink(ReportSource* detail, const QString& masterField)
{
    m_detail = detail;
    m_masterField = masterField;
}

QString Report::dateTimeText(const QDateTime& at) { return at.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")); }

namespace {

class Placer {
public:
    Placer(const TextMeasurer& m, const PageSetup& page, const QString& dateTime) : m_m(m), m_page(page), m_dateTime(dateTime) {}

    void place(Page& page, const Band& band, const QList<ReportItem>& items, double top, const ReportSource* master,
               const ReportSource* detail) const
    {
        const QRectF bandRect(m_page.margins.left(), top, m_page.printableWidth(), band.height);
        if (band.framed)
            page.frames << bandRect;
        for (const ReportItem& item : items) {
            if (!item.enabled)
                continue;
            placeItem(page, bandRect, item, textOf(item, page.number, master, detail));
        }
    }

private:
    QString textOf(const ReportItem& item, int pageNumber, const ReportSource* master, const ReportSource* detail) const
    {
        switch (item.kind) {
        case ItemKind::Label:
            return item.text;
        case ItemKind::DateTime:
            return m_dateTime;
        case ItemKind::PageNumber:
            return QString::number(pageNumber);
        case ItemKind::DataField: {
            const ReportSource* src = item.source == FieldSource::Detail ? detail : master;
            if (!src)
                throw Error::layout(QStringLiteral("Relatório: o campo '%1' não tem origem de dados").arg(item.field));
            return src->text(item.field);
        }
        }
        return QString();
    }

    void placeItem(Page& page, const QRectF& band, const ReportItem& item, const QString& text) const
    {
        if (text.isEmpty())
            return;
        const double lineHeight = m_m.lineHeight(item.font);
        const double top = band.top() + item.pos.y();
        double left = band.left() + item.pos.x();
        double width = item.width;
        if (item.alignToBand) {
            left = band.left() + item.pos.x();
            width = band.width() - 2 * item.pos.x();
        }

        if (item.wordWrap && width > 0) {
            // A fixed box: as many wrapped lines as its height holds, in a
            // smaller size when the item may shrink and the text needs it.
            const double height = item.height > 0 ? item.height : lineHeight;
            Font font = item.font;
            QStringList lines = wrapText(text, width, font, m_m);
            auto fits = [&] { return lines.size() * m_m.lineHeight(font) <= height + 1e-6; };
            while (item.minPoints > 0 && !fits() && font.points > item.minPoints) {
                font.points = std::max(item.minPoints, std::round(font.points * 2 - 1) / 2);
                lines = wrapText(text, width, font, m_m);
            }
            const double step = m_m.lineHeight(font);
            const int room = std::max(1, int((height + 1e-6) / step));
            if (lines.size() > room) {
                lines = lines.mid(0, room);
                if (item.minPoints > 0) // more text follows: the last line shown says so
                    lines.last() = cutText(lines.last(), width - m_m.width(kCutMark, font), font, m_m) + kCutMark;
            }
            for (int i = 0; i < lines.size(); ++i)
                page.texts << TextRun{QRectF(left, top + i * step, width, step), lines[i], font, item.align};
            return;
        }

        QString line = text;
        line.replace(u'\n', u' ').remove(u'\r');
        Font font = item.font;
        double runTop = top;
        if (width > 0 && item.minPoints > 0) {
            // Smaller, on the same baseline as near as may be (bottoms aligned).
            font.points = fittingPoints(line, width, font, item.minPoints, m_m);
            runTop += lineHeight - m_m.lineHeight(font);
            line = cutTextMarked(line, width, font, m_m);
        } else if (width > 0) {
            line = cutText(line, width, font, m_m);
            if (line.isEmpty())
                return;
        } else {
            width = m_m.width(line, font);
        }
        page.texts << TextRun{QRectF(left, runTop, width, m_m.lineHeight(font)), line, font, item.align};
    }

    const TextMeasurer& m_m;
    const PageSetup& m_page;
    QString m_dateTime;
};

} // namespace

PageModel Report::layOut(const QDateTime& printedAt) const
{
    const FontMeasurer measurer;
    return layOut(measurer, printedAt);
}

PageModel Report::layOut(const TextMeasurer& measurer, const QDateTime& printedAt) const
{
    PageModel model;
    model.title = m_layout.title;
    model.paper = m_layout.page.paper;
    if (!m_source)
        return model;

    const PageSetup& setup = m_layout.page;
    const Placer placer(measurer, setup, dateTimeText(printedAt));
    const double bottom = setup.paper.height() - setup.margins.bottom();
    const Band& header = m_layout.pageHeader;
    const Band& detail = m_layout.detail;

    double y = 0;
    int bandsOnPage = 0;
    int row = 0;
    auto newPage = [&] {
        Page page;
        page.number = int(model.pages.size()) + 1;
        y = setup.margins.top();
        placer.place(page, header, header.items, y, m_source, nullptr);
        y += header.height;
        model.pages << page;
        bandsOnPage = 0;
    };

    for (m_source->first(); !m_source->eof(); m_source->next()) {
        ++row;
        if (m_detail)
            m_detail->follow(m_source->value(m_masterField));
        QList<ReportItem> items = detail.items;
        if (m_beforePrint) {
            BandContext context(*m_source, m_detail, items, row);
            m_beforePrint(context);
        }
        // A band that does not fit goes to the next page; one taller than a
        // whole page is printed alone, cut at the page's foot.
        if (model.pages.isEmpty() || (bandsOnPage > 0 && y + detail.height > bottom + 1e-6))
            newPage();
        placer.place(model.pages.last(), detail, items, y, m_source, m_detail);
        y += detail.height;
        ++bandsOnPage;
    }
    return model;
}

// ------------------------------------------------------------------ page

QStringList Page::lines() const
{
    QList<const TextRun*> runs;
    for (const TextRun& t : texts)
        runs << &t;
    // Along a line, a text is placed by the edge or the centre it is aligned to.
    auto anchor = [](const TextRun* t) {
        if (t->align & Qt::AlignRight)
            return t->rect.right();
        if (t->align & Qt::AlignHCenter)
            return t->rect.center().x();
        return t->rect.left();
    };
    std::stable_sort(runs.begin(), runs.end(), [&](const TextRun* a, const TextRun* b) {
        if (qAbs(a->rect.top() - b->rect.top()) > 0.05)
            return a->rect.top() < b->rect.top();
        return anchor(a) < anchor(b);
    });
    QStringList out;
    for (const TextRun* t : runs)
        out << t->text;
    return out;
}

} // namespace plat::report
