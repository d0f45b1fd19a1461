#include "data/RowDigests.h"

#include "data/AreaTree.h"
#include "data/TDm_Dados.h"
#include "platform/db/Database.h"
#include "platform/db/RowDigest.h"

#include <QHash>

using namespace plat::db;

namespace zelta {

namespace {

const QString kAreaTable = QStringLiteral("GRANDE_A");

// The stored fields of a digested table, in the definition's order.
QStringList storedFields(const QString& table)
{
    for (const TableDef& def : TDm_Dados::tableDefinitions())
        if (def.name == table) {
            QStringList out;
            for (const FieldDef& f : def.fields)
                out << f.name;
            return out;
        }
    return {};
}

// The name of a table's temporary trigger for one kind of write.
QString triggerName(const QString& table, const char* write)
{
    return QStringLiteral("row_digest_%1_%2").arg(table, QLatin1String(write));
}

// row_digest over the fields, each prefixed (NEW., OLD. or nothing).
QString digestCall(const QString& table, const QString& prefix)
{
    QStringList args;
    for (const QString& f : storedFields(table))
        args << QStringLiteral("%1\"%2\"").arg(prefix, f);
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(kRowDigestFunction), args.join(u','));
}

QString quoted(const QVariant& v) { return v.isNull() ? QStringLiteral("vazio") : QStringLiteral("\"%1\"").arg(v.toString()); }

// A row's stored fields by record number; empty when it holds none.
QVariantList readRow(const Database& db, const QString& table, qint64 rowid)
{
    const QStringList fields = table == kAreaTable ? QStringList{QStringLiteral("SUBAREA"), QStringLiteral("CODIGO")}
                                                   : storedFields(table);
    QStringList cols;
    for (const QString& f : fields)
        cols << u'"' + f + u'"';
    Statement st = db.prepare(QStringLiteral("SELECT %1 FROM \"%2\" WHERE rowid=?").arg(cols.join(u','), table));
    st.bind(1, rowid);
    QVariantList out;
    if (st.step())
        for (int i = 0; i < fields.size(); ++i)
            out << st.value(i);
    return out;
}

// Who the record is, from its fields: "bolsista NOME, CPF X".
QString who(const QString& table, const QVariantList& row)
{
    if (row.isEmpty())
        return QString();
    if (table == QStringLiteral("ZELTABOL"))
        return QStringLiteral("bolsista %1, CPF %2, ").arg(row[0].toString().trimmed(), row[1].toString());
    if (table == QStringLiteral("ZELTAORI"))
        return QStringLiteral("orientador %1, CPF %2, ").arg(row[2].toString().trimmed(), row[1].toString());
    if (table == QStringLiteral("ZELTAINT"))
        return QStringLiteral("instituição %1, ").arg(row[4].toString().trimmed());
    if (table == kAreaTable)
        return QStringLiteral("área %1 (%2), ").arg(row[0].toString(), row[1].toString());
    return QString();
}

void compareTable(const Database& db, const QString& table, QList<OutsideChange>& out)
{
    Statement rows = db.prepare(QStringLiteral("SELECT rowid, %1 FROM \"%2\" ORDER BY rowid").arg(digestCall(table, {}), table));
    Statement digests = db.prepare(QStringLiteral("SELECT REGISTRO, RESUMO FROM %1 WHERE TABELA=? ORDER BY REGISTRO")
                                       .arg(QString::fromLatin1(kDigestTable)));
    digests.bind(1, table);
    bool haveRow = rows.step(), haveDigest = digests.step();
    while (haveRow || haveDigest) {
        const qint64 r = haveRow ? rows.int64(0) : 0;
        const qint64 d = haveDigest ? digests.int64(0) : 0;
        if (haveRow && (!haveDigest || r < d)) {
            out.append({table, r, OutsideChange::Kind::Inserted});
            haveRow = rows.step();
        } else if (haveDigest && (!haveRow || d < r)) {
            out.append({table, d, OutsideChange::Kind::Deleted});
            haveDigest = digests.step();
        } else {
            if (rows.int64(1) != digests.int64(1))
                out.append({table, r, OutsideChange::Kind::Changed});
            haveRow = rows.step();
            haveDigest = digests.step();
        }
    }
}

void compareAreas(const Database& db, QList<OutsideChange>& out)
{
    const QList<AreaNode>& tree = areaTree();
    Statement st = db.prepare(QStringLiteral("SELECT rowid, SUBAREA, CODIGO FROM GRANDE_A ORDER BY rowid"));
    qint64 expected = 1;
    while (st.step()) {
        const qint64 rowid = st.int64(0);
        for (; expected < rowid && expected <= tree.size(); ++expected)
            out.append({kAreaTable, expected, OutsideChange::Kind::Deleted});
        if (rowid > tree.size())
            out.append({kAreaTable, rowid, OutsideChange::Kind::Inserted});
        else {
            const AreaNode& node = tree[rowid - 1];
            if (st.value(1).typeId() != QMetaType::QString || st.text(1) != node.name
                || st.value(2).typeId() != QMetaType::QString || st.text(2) != node.code)
                out.append({kAreaTable, rowid, OutsideChange::Kind::Changed});
        }
        expected = rowid + 1;
    }
    for (; expected <= tree.size(); ++expected)
        out.append({kAreaTable, expected, OutsideChange::Kind::Deleted});
}

} // namespace

QStringList digestedTables() { return {QStringLiteral("ZELTAINT"), QStringLiteral("ZELTAORI"), QStringLiteral("ZELTABOL")}; }

bool hasDigestTable(const Database& db)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"),
                     {QString::fromLatin1(kDigestTable)})
               .toInt()
           > 0;
}

void createDigestTable(Database& db)
{
    // A table with record numbers, as every table of the file: the repair
    // reads each table row by row by record number.
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (TABELA TEXT NOT NULL, REGISTRO INTEGER NOT NULL, "
                           "RESUMO INTEGER NOT NULL, PRIMARY KEY (TABELA, REGISTRO))")
                .arg(QString::fromLatin1(kDigestTable)));
}

void computeAllDigests(Database& db)
{
    const QString digests = QString::fromLatin1(kDigestTable);
    db.exec(QStringLiteral("DELETE FROM %1").arg(digests));
    for (const QString& table : digestedTables())
        db.exec(QStringLiteral("INSERT INTO %1 (TABELA, REGISTRO, RESUMO) SELECT '%2', rowid, %3 FROM \"%2\"")
                    .arg(digests, table, digestCall(table, {})));
}

void installDigestTriggers(Database& db)
{
    const QString digests = QString::fromLatin1(kDigestTable);
    for (const QString& table : digestedTables()) {
        // The digest row is updated in place: a write that changes nothing
        // leaves the file's content as it was.
        const QString put = QStringLiteral("INSERT INTO %1 (TABELA, REGISTRO, RESUMO) VALUES ('%2', NEW.rowid, %3) "
                                           "ON CONFLICT (TABELA, REGISTRO) DO UPDATE SET RESUMO=excluded.RESUMO;")
                                .arg(digests, table, digestCall(table, QStringLiteral("NEW.")));
        const QString drop = QStringLiteral("DELETE FROM %1 WHERE TABELA='%2' AND REGISTRO=OLD.rowid;").arg(digests, table);
        const QString moved = QStringLiteral(
                                  "DELETE FROM %1 WHERE TABELA='%2' AND REGISTRO=OLD.rowid AND OLD.rowid IS NOT NEW.rowid;")
                                  .arg(digests, table);
        const QString head = QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1 AFTER %2 ON \"%3\" BEGIN ");
        db.exec(head.arg(triggerName(table, "insert"), QStringLiteral("INSERT"), table) + put + QStringLiteral(" END"));
        db.exec(head.arg(triggerName(table, "update"), QStringLiteral("UPDATE"), table) + moved + put + QStringLiteral(" END"));
        db.exec(head.arg(triggerName(table, "delete"), QStringLiteral("DELETE"), table) + drop + QStringLiteral(" END"));
    }
}

void removeDigestTriggers(Database& db)
{
    for (const QString& table : digestedTables())
        for (const char* write : {"insert", "update", "delete"})
            db.exec(QStringLiteral("DROP TRIGGER IF EXISTS temp.%1").arg(triggerName(table, write)));
}

QList<OutsideChange> findOutsideChanges(const Database& db)
{
    QList<OutsideChange> out;
    // Files of older versions have no digests, and nothing is compared.
    const bool digests = hasDigestTable(db);
    if (!digests && db.userVersion() < TDm_Dados::kSchemaVersion)
        return out;
    {
        const bool table = digests;
        for (const QString& t : digestedTables()) {
            // A table missing altogether is the schema's business: the open
            // refuses such a file, and whatever reads the table says so.
            if (db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"), {t})
                    .toInt()
                == 0)
                continue;
            if (table) {
                compareTable(db, t, out);
                continue;
            }
            // The digest table itself was removed: no row is proven.
            Statement st = db.prepare(QStringLiteral("SELECT rowid FROM \"%1\" ORDER BY rowid").arg(t));
            while (st.step())
                out.append({t, st.int64(0), OutsideChange::Kind::Inserted});
        }
        if (table) {
            Statement st = db.prepare(QStringLiteral("SELECT TABELA, REGISTRO FROM %1 WHERE TABELA NOT IN ('%2')")
                                          .arg(QString::fromLatin1(kDigestTable), digestedTables().join(QStringLiteral("','"))));
            while (st.step())
                out.append({st.text(0), st.int64(1), OutsideChange::Kind::Deleted});
        }
    }
    compareAreas(db, out);
    return out;
}

quint64 contentFingerprint(const Database& db)
{
    quint64 out = 0;
    for (const QString& table : digestedTables()) {
        Statement st = db.prepare(
            QStringLiteral("SELECT rowid, %1 FROM \"%2\" ORDER BY rowid").arg(digestCall(table, {}), table));
        while (st.step())
            out = (out * 1000003u) ^ (quint64(st.int64(0)) * 31u + quint64(st.int64(1)));
        out = out * 1000003u + 1u; // where one table ends
    }
    return out;
}

bool fileDigestsAgree(const QString& filePath)
{
    try {
        Database file;
        file.openFileAlone(filePath);
        return findOutsideChanges(file).isEmpty();
    } catch (const plat::Error&) {
        return false;
    }
}

QStringList describeOutsideChanges(const Database& db, const QList<OutsideChange>& changes, const Database* copy)
{
    QStringList out;
    const QList<AreaNode>& tree = areaTree();
    for (const OutsideChange& c : changes) {
        const bool known = digestedTables().contains(c.table) || c.table == kAreaTable;
        const QVariantList now = known && c.kind != OutsideChange::Kind::Deleted ? readRow(db, c.table, c.rowid) : QVariantList();
        QVariantList before;
        if (c.table == kAreaTable && c.rowid >= 1 && c.rowid <= tree.size())
            before = {tree[c.rowid - 1].name, tree[c.rowid - 1].code}; // the shipped list is the reference
        else if (copy && known) {
            try {
                before = readRow(*copy, c.table, c.rowid);
            } catch (const plat::Error&) {
                // A copy without the table tells nothing of the row.
            }
        }
        QString line
            = QStringLiteral("%1, %2registro %3: ").arg(c.table, who(c.table, now.isEmpty() ? before : now)).arg(c.rowid);
        line += c.kind == OutsideChange::Kind::Changed    ? QStringLiteral("alterado")
                : c.kind == OutsideChange::Kind::Inserted ? QStringLiteral("incluído")
                                                          : QStringLiteral("excluído");
        if (!now.isEmpty() && before.size() == now.size()) {
            const QStringList fields = c.table == kAreaTable ? QStringList{QStringLiteral("SUBAREA"), QStringLiteral("CODIGO")}
                                                             : storedFields(c.table);
            const QString reference = c.table == kAreaTable ? QStringLiteral("na lista de áreas") : QStringLiteral("na cópia");
            QStringList diffs;
            for (int i = 0; i < now.size(); ++i)
                if (!Database::sameValue(before[i], now[i]))
                    diffs << QStringLiteral("%1 %2 %3, %4 agora").arg(fields[i], quoted(before[i]), reference, quoted(now[i]));
            if (!diffs.isEmpty())
                line += QStringLiteral(" (%1)").arg(diffs.join(QStringLiteral("; ")));
        }
        out << line;
    }
    return out;
}

} // namespace zelta
