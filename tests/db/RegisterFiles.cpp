#include "RegisterFiles.h"

#include <QDir>
#include <QFile>

using namespace plat::db;

namespace zelta::test {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Every row of the three registers, record numbers included.
QStringList dump(Database& db)
{
    QStringList out;
    for (const char* sql : {"SELECT rowid, * FROM ZELTAINT", "SELECT Codigo, CPF, NOME, TITULO FROM ZELTAORI ORDER BY Codigo",
                            "SELECT rowid, Nome, CPF, NUMERO_ORIENTADOR, DATA_NASCIMENTO FROM ZELTABOL ORDER BY rowid"}) {
        Statement st = db.prepare(QString::fromLatin1(sql));
        while (st.step()) {
            QStringList row;
            for (int i = 0; i < st.columnCount(); ++i)
                row << st.value(i).toString();
            out << row.join(u'|');
        }
    }
    return out;
}

void fill(TestData& d, int holders)
{
    d.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE X"), 500);
    Database::Transaction tx(d.db());
    const qint64 a = d.addAdvisor(makeCpf(800000001), QStringLiteral("ÁLVARO ORIENTADOR"));
    for (int i = 0; i < holders; ++i)
        d.addHolder(QStringLiteral("BOLSISTA %1 ÇÃO").arg(i, 5, 10, QChar(u'0')), makeCpf(100000000 + i), QStringLiteral("Novo"),
                    makeCpf(800000001), a);
    tx.commit();
}

// The page of an index's b-tree that holds its first leaf entries, and the
// file's page size, read with SQLite's own page map.
qint64 firstLeafOffset(const QString& file, const QString& index)
{
    Database db;
    db.openReadOnly(file);
    const int pageSize = db.scalar(QStringLiteral("PRAGMA page_size")).toInt();
    qint64 page = db.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name=?"), {index}).toLongLong();
    db.close();
    // Walk down the leftmost child pointers to a leaf (interior pages are 0x02
    // or 0x05; a leaf index page is 0x0a).
    const QByteArray bytes = bytesOf(file);
    for (;;) {
        const qint64 base = (page - 1) * pageSize + (page == 1 ? 100 : 0);
        const quint8 kind = quint8(bytes[base]);
        if (kind == 0x0a || kind == 0x0d)
            return (page - 1) * pageSize;
        const int cell = (quint8(bytes[base + 12]) << 8) | quint8(bytes[base + 13]);
        const qint64 cellAt = (page - 1) * pageSize + cell;
        page = (qint64(quint8(bytes[cellAt])) << 24) | (quint8(bytes[cellAt + 1]) << 16) | (quint8(bytes[cellAt + 2]) << 8)
               | quint8(bytes[cellAt + 3]);
    }
}

// Damages the content of one leaf page of an index or table: the cell area
// at the end of the page is overwritten, its header left as it was.
void damagePage(const QString& file, qint64 pageOffset, int pageSize)
{
    QByteArray bytes = bytesOf(file);
    for (int i = pageSize - 400; i < pageSize - 8; i += 3)
        bytes[pageOffset + i] = char(0x7f ^ bytes[pageOffset + i]);
    writeBytes(file, bytes);
}

// A register closed with its write-ahead log folded into the file, so that
// the file alone holds every page.
QString closedRegister(TestData& d)
{
    d.db().exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    d.db().exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    d.dm().database().close();
    return QDir(d.dir()).filePath(QStringLiteral("zelta99.db"));
}

void emptyIndex(const QString& file, const QString& index)
{
    Database raw;
    raw.open(file, false);
    const QString columns = raw.scalar(QStringLiteral("SELECT group_concat(name) FROM pragma_index_info(?)"), {index}).toString();
    const QString table = raw.scalar(QStringLiteral("SELECT tbl_name FROM sqlite_master WHERE name=?"), {index}).toString();
    const QString spare = QStringLiteral("VAZIO_") + index;
    raw.exec(QStringLiteral("CREATE INDEX \"%1\" ON \"%2\" (%3) WHERE 0").arg(spare, table, columns));
    const QVariant full = raw.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name=?"), {index});
    const QVariant empty = raw.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name=?"), {spare});
    raw.exec(QStringLiteral("PRAGMA writable_schema=ON"));
    raw.exec(QStringLiteral("UPDATE sqlite_master SET rootpage=? WHERE name=?"), {empty, index});
    raw.exec(QStringLiteral("UPDATE sqlite_master SET rootpage=? WHERE name=?"), {full, spare});
    raw.exec(QStringLiteral("PRAGMA writable_schema=OFF"));
    raw.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
}

QString changeStored(const QString& file, const QString& text, int at, QChar to, quint8 pageKind, int occurrence)
{
    QByteArray bytes = bytesOf(file);
    const int pageSize = (quint8(bytes[16]) << 8) | quint8(bytes[17]);
    const QByteArray needle = text.toUtf8();
    QList<qint64> found;
    for (qint64 i = bytes.indexOf(needle); i >= 0; i = bytes.indexOf(needle, i + 1)) {
        const qint64 page = i / pageSize;
        if (quint8(bytes[page * pageSize + (page == 0 ? 100 : 0)]) == pageKind)
            found << i;
    }
    if (found.isEmpty())
        qFatal("%s is not in a page of that kind", qPrintable(text));
    if (occurrence != kEvery)
        found = {found.value(occurrence < 0 ? found.size() - 1 : occurrence)};
    for (qint64 i : std::as_const(found))
        bytes[i + at] = char(to.unicode());
    writeBytes(file, bytes);
    QString changed = text;
    changed[at] = to;
    return changed;
}

} // namespace zelta::test
