#include "exchange/sheets/SheetBuilder.h"
#include "exchange/sheets/SheetReaders.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace zelta::sheets {

namespace {

using Xml = QXmlStreamReader;

// The text of a cell: its paragraphs joined by line breaks, with the spaces,
// tabs and line breaks that ODS writes as elements.
QString cellText(Xml& xml)
{
    QString text;
    int paragraphs = 0;
    int depth = 1;
    while (!xml.atEnd() && depth > 0) {
        const Xml::TokenType t = xml.readNext();
        if (t == Xml::StartElement) {
            ++depth;
            const QStringView n = xml.name();
            if (n == u"p" && paragraphs++ > 0)
                text += u'\n';
            else if (n == u"s")
                text += QString(std::clamp(xml.attributes().value(QLatin1String("c")).toInt(), 1, 1000), u' ');
            else if (n == u"tab")
                text += u'\t';
            else if (n == u"line-break")
                text += u'\n';
            else if (n == u"annotation") {
                xml.skipCurrentElement();
                --depth;
            }
        } else if (t == Xml::EndElement) {
            --depth;
        } else if (t == Xml::Characters) {
            text += xml.text();
        }
    }
    return text;
}

Cell cellOf(Xml& xml)
{
    const QXmlStreamAttributes a = xml.attributes();
    const QStringView type = a.value(QLatin1String("office:value-type"));
    Cell cell;
    if (type == u"float" || type == u"percentage" || type == u"currency") {
        cell = Cell::ofNumber(a.value(QLatin1String("office:value")).toDouble());
    } else if (type == u"date") {
        const QDate date = QDate::fromString(a.value(QLatin1String("office:date-value")).left(10).toString(), Qt::ISODate);
        cell = date.isValid() ? Cell::ofDate(date) : Cell{};
    } else if (type == u"boolean") {
        cell = Cell::ofText(a.value(QLatin1String("office:boolean-value")) == u"true" ? QStringLiteral("VERDADEIRO")
                                                                                      : QStringLiteral("FALSO"));
    }
    const QString text = cellText(xml);
    if (cell.type == Cell::Type::Empty && !type.isEmpty() && type != u"boolean")
        cell = Cell::ofText(text);
    if (type.isEmpty() && !text.isEmpty())
        cell = Cell::ofText(text);
    return cell;
}

qint64 repeatOf(const Xml& xml, const char* attribute)
{
    const qint64 n = xml.attributes().value(QLatin1String(attribute)).toLongLong();
    return n > 0 ? n : 1;
}

// A row's cells, with repeated cells written out only when they hold
// something: LibreOffice ends every row with thousands of repeated empty
// cells and every table with a million repeated empty rows.
QList<std::pair<qint64, Cell>> rowCells(Xml& xml, SheetBuilder& builder)
{
    QList<std::pair<qint64, Cell>> cells;
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
        Cell cell = cellOf(xml);
        if (covered)
            cell = {};
        if (cell.type != Cell::Type::Empty) {
            if (column + repeat - 1 > builder.limits().maxColumns)
                tooLarge(QStringLiteral("mais de %1 colunas").arg(builder.limits().maxColumns));
            for (qint64 i = 0; i < repeat; ++i)
                cells.append({column + i, cell});
        }
        column += repeat;
    }
    return cells;
}

void readTables(Xml& xml, SheetBuilder& builder)
{
    qint64 row = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != Xml::StartElement)
            continue;
        if (xml.name() == u"table") {
            builder.beginSheet(xml.attributes().value(QLatin1String("table:name")).toString());
            row = 0;
        } else if (xml.name() == u"table-row") {
            const qint64 repeat = repeatOf(xml, "table:number-rows-repeated");
            const auto cells = rowCells(xml, builder);
            if (!cells.isEmpty()) {
                if (row + repeat > builder.limits().maxRows)
                    tooLarge(QStringLiteral("mais de %1 linhas").arg(builder.limits().maxRows));
                for (qint64 i = 1; i <= repeat; ++i)
                    for (const auto& [column, cell] : cells)
                        builder.put(row + i, column, cell);
            }
            row += repeat;
        }
    }
}

} // namespace

Workbook readOds(const QString& path, const Limits& limits)
{
    ZipFile zip(path);
    Workbook book;
    SheetBuilder builder(book, limits);
    ZipPart part(zip, QStringLiteral("content.xml"), limits.maxXmlBytes);
    Xml xml(part.device());
    // Attributes are looked up by the prefixes of the standard, which every
    // writer uses.
    readTables(xml, builder);
    part.checkLimit();
    if (xml.hasError())
        unreadable(QStringLiteral("content.xml, linha %1: %2").arg(xml.lineNumber()).arg(xml.errorString()));
    return book;
}

} // namespace zelta::sheets
