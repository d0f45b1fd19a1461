#include "exchange/sheets/SheetBuilder.h"
#include "exchange/sheets/SheetReaders.h"
#include "exchange/sheets/ZipReader.h"

#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>
#include <climits>

namespace zelta::sheets {

namespace {

using Xml = QXmlStreamReader;

// The text of a cell: its paragraphs joined by line breaks, with the runs of
// spaces, the tabs and the line breaks that ODS writes as elements, each
// counted against the text budget before it is built.
QString cellText(Xml& xml, SheetBuilder& builder)
{
    QString text;
    int paragraphs = 0;
    int depth = 1;
    while (!xml.atEnd() && depth > 0) {
        const Xml::TokenType t = xml.readNext();
        if (t == Xml::StartElement) {
            ++depth;
            const QStringView n = xml.name();
            if (n == u"p" && paragraphs++ > 0) {
                builder.spendChars(1);
                text += u'\n';
            } else if (n == u"s") {
                const QStringView count = xml.attributes().value(QLatin1String("text:c"));
                const qint64 spaces = count.isEmpty() ? 1 : std::clamp<qint64>(count.toLongLong(), 0, INT_MAX);
                builder.spendChars(spaces);
                text += QString(qsizetype(spaces), u' ');
            } else if (n == u"tab" || n == u"line-break") {
                builder.spendChars(1);
                text += n == u"tab" ? u'\t' : u'\n';
            } else if (n == u"annotation") {
                xml.skipCurrentElement();
                --depth;
            }
        } else if (t == Xml::EndElement) {
            --depth;
        } else if (t == Xml::Characters) {
            builder.spendChars(xml.text().size());
            text += xml.text();
        }
    }
    return text;
}

// A cell's value by its type; a formula without its result (no value of the
// type it names, or no type at all) is uncomputed.
Cell cellOf(Xml& xml, SheetBuilder& builder)
{
    const QXmlStreamAttributes a = xml.attributes();
    const QStringView type = a.value(QLatin1String("office:value-type"));
    const bool formula = a.hasAttribute(QLatin1String("table:formula"));
    const QString text = cellText(xml, builder);
    if (type == u"float" || type == u"percentage" || type == u"currency") {
        bool ok = false;
        const double n = a.value(QLatin1String("office:value")).toDouble(&ok);
        if (ok)
            return Cell::ofNumber(n);
    } else if (type == u"date") {
        // A date, with or without a time part ("2001-03-14T00:00:00").
        const QStringView value = a.value(QLatin1String("office:date-value"));
        const QDate date = QDate::fromString(value.left(10).toString(), Qt::ISODate);
        if (date.isValid() && (value.size() == 10 || value.at(10) == u'T'))
            return Cell::ofDate(date);
    } else if (type == u"boolean") {
        const QStringView value = a.value(QLatin1String("office:boolean-value"));
        if (value == u"true" || value == u"false")
            return Cell::ofText(value == u"true" ? QStringLiteral("VERDADEIRO") : QStringLiteral("FALSO"));
    } else if (type == u"string" || type == u"time" || (type.isEmpty() && !formula)) {
        return Cell::ofText(text);
    }
    if (formula)
        return Cell::ofUncomputed(QString());
    return Cell::ofText(text);
}

qint64 repeatOf(const Xml& xml, const char* attribute)
{
    const qint64 n = xml.attributes().value(QLatin1String(attribute)).toLongLong();
    return std::clamp<qint64>(n, 1, INT_MAX);
}

struct RowCells {
    QList<std::pair<qint64, Cell>> cells;
    qint64 lastColumn = 0;
};

// A row's cells, with repeated cells written out only when they hold
// something: LibreOffice ends every row with thousands of repeated empty
// cells and every table with a million repeated empty rows.
RowCells rowCells(Xml& xml, SheetBuilder& builder)
{
    RowCells row;
    qint64 column = 1;
    while (!xml.atEnd()) {
        const Xml::TokenType t = xml.readNext();
        if (t == Xml::EndElement && xml.name() == u"table-row")
            break;
        if (t != Xml::StartElement)
            continue;
        const bool covered = xml.name() == u"covered-table-cell";
        if (!covered && xml.name() != u"table-cell") {
            xml.skipCurrentElement();
            continue;
        }
        const qint64 repeat = repeatOf(xml, "table:number-columns-repeated");
        Cell cell = cellOf(xml, builder);
        if (covered)
            cell = {};
        if (cell.type != Cell::Type::Empty) {
            if (column + repeat - 1 > builder.limits().maxColumns)
                tooLarge(QStringLiteral("mais de %1 colunas").arg(builder.limits().maxColumns));
            for (qint64 i = 0; i < repeat; ++i)
                row.cells.append({column + i, cell});
            row.lastColumn = column + repeat - 1;
        }
        column += repeat;
    }
    return row;
}

// The names of the table styles that hide their table, from the automatic
// styles that come before the tables.
void readTableStyle(Xml& xml, QString& styleName, QSet<QString>& hiding)
{
    if (xml.name() == u"style")
        styleName = xml.attributes().value(QLatin1String("style:name")).toString();
    else if (xml.name() == u"table-properties" && xml.attributes().value(QLatin1String("table:display")) == u"false")
        hiding.insert(styleName);
}

void readTables(Xml& xml, SheetBuilder& builder)
{
    qint64 row = 0;
    QString styleName;
    QSet<QString> hiding;
    while (!xml.atEnd()) {
        if (xml.readNext() != Xml::StartElement)
            continue;
        if (xml.name() == u"style" || xml.name() == u"table-properties") {
            readTableStyle(xml, styleName, hiding);
        } else if (xml.name() == u"table") {
            const QXmlStreamAttributes a = xml.attributes();
            builder.beginSheet(a.value(QLatin1String("table:name")).toString(),
                               hiding.contains(a.value(QLatin1String("table:style-name")).toString()));
            row = 0;
        } else if (xml.name() == u"table-row") {
            const qint64 repeat = repeatOf(xml, "table:number-rows-repeated");
            const RowCells cells = rowCells(xml, builder);
            if (!cells.cells.isEmpty()) {
                builder.expectRepeats(repeat, row + repeat, cells.cells.size(), cells.lastColumn);
                for (qint64 i = 1; i <= repeat; ++i)
                    for (const auto& [column, cell] : cells.cells)
                        builder.put(row + i, column, cell);
            }
            row += repeat;
        }
    }
}

} // namespace

Workbook readOds(QIODevice& file, const QString& name, const Limits& limits)
{
    return readNamed(name, [&] {
        ZipFile zip(file);
        Workbook book;
        SheetBuilder builder(book, limits);
        ZipPart part(zip, QStringLiteral("content.xml"), limits.maxXmlBytes);
        Xml xml(part.device());
        // Elements and attributes are looked up by the prefixes of the
        // standard, which every writer uses.
        readTables(xml, builder);
        part.finish(xml);
        zip.checkRest(limits.maxXmlBytes);
        return book;
    });
}

} // namespace zelta::sheets
