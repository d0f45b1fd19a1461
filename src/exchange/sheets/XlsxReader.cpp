#include "exchange/sheets/SheetBuilder.h"
#include "exchange/sheets/SheetReaders.h"
#include "exchange/sheets/ZipReader.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <cmath>

namespace zelta::sheets {

namespace {

using Xml = QXmlStreamReader;

// Runs the XML of one part through a handler of start elements; the handler
// reads on from the start it is given. Bad XML and a part beyond the limit
// are refused.
template <typename OnStart>
void walkPart(ZipFile& zip, const QString& name, const Limits& limits, OnStart onStart)
{
    ZipPart part(zip, name, limits.maxXmlBytes);
    Xml xml(part.device());
    while (!xml.atEnd()) {
        if (xml.readNext() == Xml::StartElement)
            onStart(xml);
    }
    part.finish(xml);
}

bool hasPart(ZipFile& zip, const QString& name) { return zip.has(name); }

// The text of an element and of the <t> inside it (rich text runs), leaving
// out phonetic guides; the reader ends on the element's end.
QString textOf(Xml& xml, SheetBuilder& builder)
{
    QString text;
    const QStringView end = xml.name();
    const QString endName = end.toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        const Xml::TokenType t = xml.readNext();
        if (t == Xml::StartElement && xml.name() == u"rPh")
            ++phonetic;
        else if (t == Xml::EndElement && xml.name() == u"rPh")
            --phonetic;
        else if (t == Xml::StartElement && xml.name() == u"t" && phonetic == 0) {
            const QString run = xml.readElementText(Xml::IncludeChildElements);
            builder.spendChars(run.size());
            text += run;
        } else if (t == Xml::EndElement && xml.name() == endName)
            break;
    }
    return text;
}

// Whether a number format shows a date: a built-in date format, or a format
// code with a day or a year outside quoted text and [..] sections.
bool dateFormatCode(const QString& code)
{
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'\\') {
            ++i;
            continue;
        }
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'[')
            ++bracket;
        else if (!quoted && c == u']')
            --bracket;
        else if (!quoted && bracket == 0 && (c.toLower() == u'd' || c.toLower() == u'y'))
            return true;
    }
    return false;
}

bool builtinDateFormat(int id) { return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58); }

// For each cell style (the s attribute), whether it shows a date.
QList<bool> dateStyles(ZipFile& zip, const Limits& limits)
{
    QList<bool> styles;
    if (!hasPart(zip, QStringLiteral("xl/styles.xml")))
        return styles;
    QSet<int> customDates;
    bool inCellXfs = false;
    walkPart(zip, QStringLiteral("xl/styles.xml"), limits, [&](Xml& xml) {
        if (xml.name() == u"numFmt") {
            if (dateFormatCode(xml.attributes().value(QLatin1String("formatCode")).toString()))
                customDates.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt());
        } else if (xml.name() == u"cellXfs") {
            inCellXfs = true;
        } else if (xml.name() == u"cellStyleXfs" || xml.name() == u"dxfs") {
            inCellXfs = false;
        } else if (inCellXfs && xml.name() == u"xf") {
            const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
            styles.append(builtinDateFormat(id) || customDates.contains(id));
        }
    });
    return styles;
}

QList<QString> sharedStrings(ZipFile& zip, SheetBuilder& builder)
{
    QList<QString> strings;
    if (!hasPart(zip, QStringLiteral("xl/sharedStrings.xml")))
        return strings;
    walkPart(zip, QStringLiteral("xl/sharedStrings.xml"), builder.limits(), [&](Xml& xml) {
        if (xml.name() == u"si") {
            builder.spendChars(8);
            strings.append(textOf(xml, builder));
        }
    });
    return strings;
}

// "BC12" gives column 55 (from 1); 0 when the reference has no letters.
qint64 columnOf(QStringView ref)
{
    qint64 column = 0;
    for (QChar c : ref) {
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c.unicode() - u'A' + 1);
        if (column > (1 << 20))
            break;
    }
    return column;
}

QDate dateFromSerial(double serial, bool from1904)
{
    const qint64 days = qint64(std::floor(serial));
    if (from1904)
        return QDate(1904, 1, 1).addDays(days);
    // Serial 60 is 29 Feb 1900, a day that never was; before it the count is one off.
    return days < 61 ? QDate(1899, 12, 31).addDays(days) : QDate(1899, 12, 30).addDays(days);
}

struct Context {
    QList<bool> dateStyles;
    QList<QString> strings;
    bool from1904 = false;
};

// A cell's value by its type. A formula whose file keeps no result (an
// empty or missing <v>, as programs that do not calculate write it) is
// uncomputed; a text result may be empty.
Cell cellOf(Xml& xml, const Context& ctx, SheetBuilder& builder)
{
    const QString type = xml.attributes().value(QLatin1String("t")).toString();
    const int style = xml.attributes().value(QLatin1String("s")).toInt();
    QString value;
    QString inlineText;
    bool formula = false;
    while (!xml.atEnd()) {
        const Xml::TokenType t = xml.readNext();
        if (t == Xml::StartElement && xml.name() == u"v") {
            value = xml.readElementText();
            builder.spendChars(value.size());
        } else if (t == Xml::StartElement && xml.name() == u"f") {
            formula = true;
        } else if (t == Xml::StartElement && xml.name() == u"is") {
            inlineText = textOf(xml, builder);
        } else if (t == Xml::EndElement && xml.name() == u"c") {
            break;
        }
    }
    if (type == u"inlineStr")
        return Cell::ofText(inlineText);
    if (formula && value.isEmpty() && type != u"str")
        return Cell::ofUncomputed(QString());
    if (type == u"s") {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= ctx.strings.size())
            unreadable(QStringLiteral("uma célula aponta para um texto que não existe"));
        return Cell::ofText(ctx.strings[index]);
    }
    if (type == u"str" || type == u"e")
        return Cell::ofText(value);
    if (type == u"b")
        return Cell::ofText(value == u"1" ? QStringLiteral("VERDADEIRO") : QStringLiteral("FALSO"));
    if (value.isEmpty())
        return {};
    if (type == u"d") {
        const QDate date = QDate::fromString(value.left(10), Qt::ISODate);
        return date.isValid() ? Cell::ofDate(date) : Cell::ofText(value);
    }
    bool ok = false;
    const double n = value.toDouble(&ok);
    if (!ok)
        return Cell::ofText(value);
    if (style >= 0 && style < ctx.dateStyles.size() && ctx.dateStyles[style] && std::isfinite(n) && n >= 0 && n < 2958466)
        return Cell::ofDate(dateFromSerial(n, ctx.from1904));
    return Cell::ofNumber(n);
}

// A row or column number of the file: 0 when it is none.
qint64 numberOf(QStringView text)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok && n > 0 ? n : 0;
}

// The cells of one sheet part. Nothing is sized from the part's <dimension>
// or from a reference: a cell far out costs only when it holds something,
// and then the builder's limits apply.
void readSheet(ZipFile& zip, const QString& part, SheetBuilder& builder, const Context& ctx)
{
    qint64 row = 0;
    qint64 column = 0;
    walkPart(zip, part, builder.limits(), [&](Xml& xml) {
        if (xml.name() == u"row") {
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            row = r.isEmpty() ? row + 1 : numberOf(r);
            if (row == 0)
                unreadable(QStringLiteral("%1: \"%2\" não é um número de linha").arg(part, r.left(20)));
            column = 0;
        } else if (xml.name() == u"c") {
            const qint64 at = columnOf(xml.attributes().value(QLatin1String("r")));
            column = at > 0 ? at : column + 1;
            builder.put(std::max<qint64>(row, 1), column, cellOf(xml, ctx, builder));
        }
    });
}

QString partOfTarget(const QString& target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

struct SheetEntry {
    QString name;
    QString part;
    bool hidden = false;
};

// The sheets in the workbook's order, with their parts and whether the
// spreadsheet program hides them.
QList<SheetEntry> sheetEntries(ZipFile& zip, const Limits& limits, Context& ctx)
{
    QHash<QString, QString> targets;
    walkPart(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), limits, [&](Xml& xml) {
        if (xml.name() == u"Relationship")
            targets.insert(xml.attributes().value(QLatin1String("Id")).toString(),
                           xml.attributes().value(QLatin1String("Target")).toString());
    });
    QList<SheetEntry> sheets;
    walkPart(zip, QStringLiteral("xl/workbook.xml"), limits, [&](Xml& xml) {
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"workbookPr") {
            ctx.from1904 = a.value(QLatin1String("date1904")) == u"1" || a.value(QLatin1String("date1904")) == u"true";
        } else if (xml.name() == u"sheet") {
            QString rid;
            for (const QXmlStreamAttribute& attribute : a)
                if (attribute.name() == u"id")
                    rid = attribute.value().toString();
            const QStringView state = a.value(QLatin1String("state"));
            if (targets.contains(rid))
                sheets.append({a.value(QLatin1String("name")).toString(), partOfTarget(targets.value(rid)),
                               state == u"hidden" || state == u"veryHidden"});
        }
    });
    return sheets;
}

} // namespace

Workbook readXlsx(QIODevice& file, const QString& name, const Limits& limits)
{
    return readNamed(name, [&] {
        ZipFile zip(file);
        Workbook book;
        SheetBuilder builder(book, limits);
        Context ctx;
        ctx.dateStyles = dateStyles(zip, limits);
        ctx.strings = sharedStrings(zip, builder);
        for (const SheetEntry& sheet : sheetEntries(zip, limits, ctx)) {
            builder.beginSheet(sheet.name, sheet.hidden);
            readSheet(zip, sheet.part, builder, ctx);
        }
        zip.checkRest(limits.maxXmlBytes);
        return book;
    });
}

} // namespace zelta::sheets
