#include "platform/db/Schema.h"

#include "platform/db/Ordering.h"

#include <QHash>

#include <algorithm>
#include <iterator>

namespace plat::db {

namespace {

// Accented letters of Windows-1252 and their base capitals. Lower-case letters
// are folded too, because imported files may hold them.
struct FoldPair {
    char16_t from;
    char16_t to;
};
constexpr FoldPair kFold[] = {
    {u'À', u'A'}, {u'Á', u'A'}, {u'Â', u'A'}, {u'Ã', u'A'}, {u'Ä', u'A'}, {u'Å', u'A'}, {u'à', u'A'}, {u'á', u'A'}, {u'â', u'A'},
    {u'ã', u'A'}, {u'ä', u'A'}, {u'å', u'A'}, {u'È', u'E'}, {u'É', u'E'}, {u'Ê', u'E'}, {u'Ë', u'E'}, {u'è', u'E'}, {u'é', u'E'},
    {u'ê', u'E'}, {u'ë', u'E'}, {u'Ì', u'I'}, {u'Í', u'I'}, {u'Î', u'I'}, {u'Ï', u'I'}, {u'ì', u'I'}, {u'í', u'I'}, {u'î', u'I'},
    {u'ï', u'I'}, {u'Ò', u'O'}, {u'Ó', u'O'}, {u'Ô', u'O'}, {u'Õ', u'O'}, {u'Ö', u'O'}, {u'ò', u'O'}, {u'ó', u'O'}, {u'ô', u'O'},
    {u'õ', u'O'}, {u'ö', u'O'}, {u'Ù', u'U'}, {u'Ú', u'U'}, {u'Û', u'U'}, {u'Ü', u'U'}, {u'ù', u'U'}, {u'ú', u'U'}, {u'û', u'U'},
    {u'ü', u'U'}, {u'Ç', u'C'}, {u'ç', u'C'}, {u'Ñ', u'N'}, {u'ñ', u'N'}, {u'Ý', u'Y'}, {u'ý', u'Y'}, {u'ÿ', u'Y'},
};

} // namespace

QString quoted(const QString& name) { return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"'; }

int TableDef::fieldIndex(const QString& fieldName) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const FieldDef* TableDef::field(const QString& fieldName) const
{
    const int i = fieldIndex(fieldName);
    return i < 0 ? nullptr : &fields[i];
}

const IndexDef* TableDef::indexByName(const QString& indexName) const
{
    if (indexName.trimmed().isEmpty())
        return indexes.isEmpty() ? nullptr : &indexes.first();
    for (const IndexDef& index : indexes)
        if (!index.name.isEmpty() && index.name.compare(indexName.trimmed(), Qt::CaseInsensitive) == 0)
            return &index;
    return nullptr;
}

const IndexDef* TableDef::indexByFields(const QStringList& fieldNames) const
{
    auto same = [&](const IndexDef& index) {
        if (index.fields.size() != fieldNames.size())
            return false;
        for (int i = 0; i < fieldNames.size(); ++i)
            if (index.fields[i].compare(fieldNames[i].trimmed(), Qt::CaseInsensitive) != 0)
                return false;
        return true;
    };
    for (const IndexDef& index : indexes)
        if (same(index))
            return &index;
    // A primary order over the auto-increment field answers to that field's name.
    if (fieldNames.size() == 1 && !indexes.isEmpty() && indexes.first().fields.isEmpty()) {
        const FieldDef* f = field(fieldNames.first().trimmed());
        if (f && f->type == FieldType::AutoInc)
            return &indexes.first();
    }
    return nullptr;
}

QString foldKey(const QString& text)
{
    static const QHash<char16_t, char16_t> map = [] {
        QHash<char16_t, char16_t> m;
        for (const FoldPair& p : kFold)
            m.insert(p.from, p.to);
        return m;
    }();
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z')
            c = QChar(u - 32);
        else if (u >= 0x80) {
            auto it = map.constFind(u);
            if (it != map.constEnd())
                c = QChar(*it);
        }
    }
    return out;
}

QList<QPair<QString, QString>> foldColumns(const QString& column)
{
    // SQLite's upper() changes only a-z, which matches foldKey for every
    // character outside the table above. The parser accepts about 27 nested
    // calls, so the replacements are spread over a chain of generated columns.
    constexpr int kPerColumn = 18;
    const int total = int(std::size(kFold));
    QList<QPair<QString, QString>> out;
    QString source = quoted(column);
    for (int start = 0, part = 1; start < total; start += kPerColumn, ++part) {
        QString expr = source;
        for (int i = start; i < std::min(total, start + kPerColumn); ++i)
            expr = QStringLiteral("replace(%1,'%2','%3')").arg(expr, QString(QChar(kFold[i].from)), QString(QChar(kFold[i].to)));
        // Most names are plain ASCII: only those with another character go
        // through the replacements, which keeps writes of large imports cheap.
        expr = QStringLiteral("CASE WHEN %1 GLOB '*[^ -~]*' THEN %2 ELSE %1 END").arg(source, expr);
        const bool last = start + kPerColumn >= total;
        const QString name = last ? QStringLiteral("ORD_") + column.toUpper()
                                  : QStringLiteral("ORD_%1_%2").arg(column.toUpper()).arg(part);
        out.append({name, last ? QStringLiteral("upper(%1)").arg(expr) : expr});
        source = quoted(name);
    }
    return out;
}

QString sortColumn(const FieldDef& field) { return QStringLiteral("ORD_") + field.name.toUpper(); }

bool isSortColumnName(const QString& column) { return column.startsWith(QStringLiteral("ORD_"), Qt::CaseInsensitive); }

bool needsSortColumn(const FieldDef& field, const TableDef& table)
{
    if (field.folded)
        return true;
    if (field.type == FieldType::Text || field.type == FieldType::AutoInc)
        return false;
    for (const IndexDef& index : table.indexes)
        for (const QString& name : index.fields)
            if (name.compare(field.name, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

QString createTableSql(const TableDef& table)
{
    QStringList columns;
    for (const FieldDef& f : table.fields) {
        switch (f.type) {
        case FieldType::AutoInc:
            columns << quoted(f.name) + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
            break;
        case FieldType::Text:
            columns << quoted(f.name) + QStringLiteral(" TEXT NOT NULL DEFAULT ''");
            break;
        case FieldType::Integer:
            columns << quoted(f.name) + QStringLiteral(" INTEGER");
            break;
        case FieldType::Float:
            columns << quoted(f.name) + QStringLiteral(" REAL");
            break;
        case FieldType::Date:
            columns << quoted(f.name) + QStringLiteral(" TEXT");
            break;
        }
    }
    for (const FieldDef& f : table.fields) {
        if (!needsSortColumn(f, table))
            continue;
        // Sort columns are STORED: SQLite's checks then read the values
        // instead of folding every name again. That includes the steps of the
        // folding chain, which a check would otherwise compute for each row.
        if (f.folded) {
            for (const auto& [name, expr] : foldColumns(f.name))
                columns << quoted(name) + QStringLiteral(" TEXT GENERATED ALWAYS AS (%1) STORED").arg(expr);
        } else
            columns << quoted(sortColumn(f))
                           + QStringLiteral(" GENERATED ALWAYS AS (ifnull(%1,%2)) STORED")
                                 .arg(quoted(f.name))
                                 .arg(Ordering::nullKey());
    }
    return QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(quoted(table.name), columns.join(QStringLiteral(",\n  ")));
}

QStringList createIndexSql(const TableDef& table)
{
    QStringList out;
    QStringList seen; // two orderings over the same keys share one index
    for (const IndexDef& index : table.indexes) {
        if (index.fields.isEmpty())
            continue; // record number order needs no index
        // The ordering's columns; the record number that ends them is part of
        // every index entry already.
        QStringList cols = Ordering(table, index.fields).columns();
        cols.removeLast();
        const QString key = cols.join(u',');
        if (seen.contains(key))
            continue;
        seen << key;
        const QString indexName = index.name.isEmpty() ? QStringLiteral("%1_%2").arg(table.name, index.fields.join(u'_'))
                                                       : QStringLiteral("%1_%2").arg(table.name, index.name);
        out << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)").arg(quoted(indexName), quoted(table.name), key);
    }
    return out;
}

} // namespace plat::db
