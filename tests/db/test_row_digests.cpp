// Row digests: every write of the program keeps them current, and a row
// changed outside the program (a changed byte, the sqlite3 shell) is named and
// stops the submission file, reports and copies until it is restored or
// accepted.
#include "data/RegisterCopies.h"
#include "data/RowDigests.h"
#include "data/TDm_Dados.h"
#include "exchange/RecoveryImport.h"
#include "platform/db/Database.h"
#include "platform/db/RowDigest.h"
#include "platform/db/Table.h"
#include "platform/db/Query.h"
#include "platform/system/Settings.h"
#include "support/SourceTree.h"
#include "support/CliRun.h"
#include "support/TestData.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(std::function<void(zelta::test::TestData&)>)

using namespace zelta;
using plat::db::Database;
using test::CliRun;

namespace {

const auto run = test::runCommand;

QString samplePath() { return test::sourceDir() + QStringLiteral("/resources/exemplo/EXEMPLO.TEX"); }

CliRun runIn(const QString& dir, QStringList args) { return run(args << QStringLiteral("--dados") << dir); }

// The sample register, three holders renewed by the program, and a copy.
void makeSampleRegister(const QString& dir)
{
    QCOMPARE(runIn(dir, {QStringLiteral("recuperar"), samplePath()}).code, 0);
    {
        TDm_Dados dm(dir);
        dm.database().exec(QStringLiteral("UPDATE ZELTABOL SET SITUACAO='Renovado' WHERE rowid IN "
                                          "(SELECT rowid FROM ZELTABOL ORDER BY rowid LIMIT 3)"));
    }
    QCOMPARE(runIn(dir, {QStringLiteral("copia")}).code, 0);
}

QString registerFile(const QString& dir) { return QDir(dir).filePath(QStringLiteral("zelta99.db")); }

// Changes the last byte of a value inside the table's own leaf pages (found
// with dbstat and the page size), where it must stand exactly once.
void changeByteInTable(const QString& file, const QString& table, const QByteArray& value)
{
    QList<qint64> pages;
    qint64 pageSize = 0;
    {
        Database db;
        db.openReadOnly(file);
        pageSize = db.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        plat::db::Statement st = db.prepare(QStringLiteral("SELECT pageno FROM dbstat WHERE name=? AND pagetype='leaf'"));
        st.bind(1, table);
        while (st.step())
            pages << st.int64(0);
    }
    QCOMPARE(QFileInfo(file + QStringLiteral("-wal")).size(), 0); // every page is in the file itself
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    qint64 at = -1;
    int hits = 0;
    for (const qint64 page : std::as_const(pages)) {
        const QByteArray chunk = bytes.mid((page - 1) * pageSize, pageSize);
        for (qsizetype i = chunk.indexOf(value); i >= 0; i = chunk.indexOf(value, i + 1), ++hits)
            at = (page - 1) * pageSize + i + value.size() - 1;
    }
    QCOMPARE(hits, 1);
    bytes[at] = char(bytes[at] ^ 0x01);
    f.seek(0);
    f.write(bytes);
    f.close();
}

int copyCount(const QString& dir) { return int(RegisterCopies::list(dir).size()); }

// The refusal of a register changed outside the program, naming the record.
void verifyRefused(const CliRun& r, const QString& table, const QString& who)
{
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(QStringLiteral("alterados fora do programa")), qPrintable(r.err));
    const QStringList lines = r.err.split(u'\n');
    const bool named = std::any_of(lines.cbegin(), lines.cend(), [&](const QString& l) {
        return l.startsWith(table + QStringLiteral(", ")) && l.contains(who);
    });
    QVERIFY2(named, qPrintable(r.err));
}

QString shell(const QString& file, const QString& sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file, sql});
    if (!p.waitForFinished() || p.exitCode() != 0)
        return QString::fromUtf8(p.readAllStandardError()) + QStringLiteral(" (sqlite3 falhou)");
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

class TestRowDigests : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { plat::sys::Settings::instance().setDataDirectoryOverride(QString()); }

    void encodingTellsValuesApart()
    {
        using plat::db::rowDigest;
        QVERIFY(rowDigest({QStringLiteral("AB"), QStringLiteral("C")}) != rowDigest({QStringLiteral("A"), QStringLiteral("BC")}));
        QVERIFY(rowDigest({QVariant()}) != rowDigest({QStringLiteral("")}));
        QVERIFY(rowDigest({qint64(1)}) != rowDigest({QStringLiteral("1")}));
        QVERIFY(rowDigest({QStringLiteral("A")}) != rowDigest({QStringLiteral("A"), QVariant()}));
        // The engine's function and the program's agree on the same values.
        test::TestData data;
        QCOMPARE(data.db().scalar(QStringLiteral("SELECT row_digest('AB', NULL, 2, 2.5)")).toLongLong(),
                 rowDigest({QStringLiteral("AB"), QVariant(), qint64(2), 2.5}));
    }

    void changedByteStopsEveryOutputUntilRestored_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("whoColumn");
        QTest::newRow("institution") << "ZELTAINT"
                                     << "Nome"
                                     << "Nome";
        QTest::newRow("advisor") << "ZELTAORI"
                                 << "TITULO"
                                 << "CPF";
        QTest::newRow("holder") << "ZELTABOL"
                                << "CONTA_BANCO"
                                << "CPF";
    }

    void changedByteStopsEveryOutputUntilRestored()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, whoColumn);
        QTemporaryDir dir, out;
        makeSampleRegister(dir.path());
        QString value, who;
        {
            Database db;
            db.openReadOnly(registerFile(dir.path()));
            plat::db::Statement st = db.prepare(QStringLiteral("SELECT \"%1\", \"%2\" FROM %3 GROUP BY \"%1\" HAVING count(*)=1 "
                                                               "AND length(\"%1\") > 5 LIMIT 1")
                                                    .arg(column, whoColumn, table));
            QVERIFY(st.step());
            value = st.text(0);
            who = st.text(1).trimmed();
        }
        changeByteInTable(registerFile(dir.path()), table, value.toUtf8());
        QVERIFY(Database::checkFile(registerFile(dir.path()), false).isEmpty()); // SQLite sees no damage

        const int copies = copyCount(dir.path());
        const QString pdf = QDir(out.path()).filePath(QStringLiteral("r.pdf"));
        verifyRefused(runIn(dir.path(), {QStringLiteral("verificar")}), table, who);
        verifyRefused(runIn(dir.path(), {QStringLiteral("gerar"), QStringLiteral("--destino"), out.path()}), table, who);
        verifyRefused(runIn(dir.path(), {QStringLiteral("relatorio"), QStringLiteral("bolsistas"), QStringLiteral("--pdf"), pdf}),
                      table, who);
        verifyRefused(runIn(dir.path(), {QStringLiteral("copia")}), table, who);
        const QString sheet = QDir(out.path()).filePath(QStringLiteral("lista.xlsx"));
        verifyRefused(runIn(dir.path(), {QStringLiteral("exportar"), QStringLiteral("bolsistas"), sheet}), table, who);
        QTemporaryDir in;
        const QString rows = in.filePath(QStringLiteral("novos.csv"));
        QFile csv(rows);
        QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write("CPF;Nome\n") > 0);
        csv.close();
        verifyRefused(runIn(dir.path(),
                            {QStringLiteral("importar"), QStringLiteral("bolsistas"), rows, QStringLiteral("--simular")}),
                      table, who);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(copyCount(dir.path()), copies);

        const CliRun restored = runIn(dir.path(), {QStringLiteral("restaurar"), QStringLiteral("1")});
        QVERIFY2(restored.code == 0, qPrintable(restored.err));
        QCOMPARE(runIn(dir.path(), {QStringLiteral("verificar")}).code, 0);
        QCOMPARE(runIn(dir.path(), {QStringLiteral("gerar"), QStringLiteral("--destino"), out.path()}).code, 0);
        QCOMPARE(runIn(dir.path(), {QStringLiteral("relatorio"), QStringLiteral("bolsistas"), QStringLiteral("--pdf"), pdf}).code,
                 0);
        QCOMPARE(runIn(dir.path(), {QStringLiteral("copia")}).code, 0);
        QCOMPARE(runIn(dir.path(), {QStringLiteral("exportar"), QStringLiteral("bolsistas"), sheet}).code, 0);
        QVERIFY(QFileInfo(pdf).isFile());
        QCOMPARE(QDir(out.path()).entryList({QStringLiteral("*.htm")}, QDir::Files).size(), 1);
    }

    void shellChangesAreNamedUntilAccepted()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
            QSKIP("sqlite3 is not installed (scripts/install-deps)");
        QTemporaryDir dir, out;
        makeSampleRegister(dir.path());
        const QString file = registerFile(dir.path());
        const QString cpf = shell(file, QStringLiteral("SELECT CPF FROM ZELTABOL WHERE rowid=1"));
        QCOMPARE(shell(file, QStringLiteral("UPDATE ZELTABOL SET Nome='ZULEICA ACEITA DA SILVA' WHERE rowid=1")), QString());

        const CliRun refused = runIn(dir.path(), {QStringLiteral("verificar")});
        verifyRefused(refused, QStringLiteral("ZELTABOL"), QStringLiteral("bolsista ZULEICA ACEITA DA SILVA, CPF %1").arg(cpf));
        QVERIFY2(refused.err.contains(QStringLiteral("agora")) && refused.err.contains(QStringLiteral("Nome ")),
                 qPrintable(refused.err));

        const CliRun accepted = runIn(dir.path(), {QStringLiteral("aceitar")});
        QVERIFY2(accepted.code == 0, qPrintable(accepted.err));
        QVERIFY2(accepted.out.contains(QStringLiteral("ZULEICA ACEITA DA SILVA")), qPrintable(accepted.out));
        QCOMPARE(runIn(dir.path(), {QStringLiteral("verificar")}).code, 0);
        QCOMPARE(runIn(dir.path(), {QStringLiteral("gerar"), QStringLiteral("--destino"), out.path()}).code, 0);
        const QStringList files = QDir(out.path()).entryList({QStringLiteral("*.htm")}, QDir::Files);
        QCOMPARE(files.size(), 1);
        QFile sent(QDir(out.path()).filePath(files.first()));
        QVERIFY(sent.open(QIODevice::ReadOnly));
        QVERIFY(sent.readAll().contains("ZULEICA ACEITA DA SILVA"));
        // The copy taken before accepting keeps the disagreeing digests.
        const QList<RegisterCopy> listed = RegisterCopies::describe(dir.path());
        QCOMPARE(listed.first().reason, CopyReason::BeforeAcceptance);
        QVERIFY(listed.first().rowsDisagree && !listed.first().sound);

        // A row deleted and a row inserted through the shell.
        const QString gone = shell(file, QStringLiteral("SELECT CPF FROM ZELTABOL WHERE rowid=2"));
        QCOMPARE(shell(file, QStringLiteral("DELETE FROM ZELTABOL WHERE rowid=2; INSERT INTO ZELTABOL (Nome, CPF) "
                                            "VALUES ('INTRUSO INCLUIDO', '111.111.111-11')")),
                 QString());
        const CliRun both = runIn(dir.path(), {QStringLiteral("verificar")});
        verifyRefused(both, QStringLiteral("ZELTABOL"), QStringLiteral("CPF %1, registro 2: excluído").arg(gone));
        verifyRefused(both, QStringLiteral("ZELTABOL"), QStringLiteral("bolsista INTRUSO INCLUIDO, CPF 111.111.111-11"));
    }

    void everyWritePathKeepsDigestsCurrent_data()
    {
        using Path = std::function<void(test::TestData&)>;
        QTest::addColumn<Path>("write");
        QTest::newRow("form insert, edit, delete") << Path([](test::TestData& d) {
            plat::db::Table& t = *d.dm().Tb_Bolsistas;
            t.open();
            t.append();
            t.setValue(QStringLiteral("Nome"), QStringLiteral("NOVA BOLSISTA"));
            t.setValue(QStringLiteral("CPF"), test::makeCpf(222222222));
            t.post();
            t.first();
            t.edit();
            t.setValue(QStringLiteral("CONTA_BANCO"), QStringLiteral("99999"));
            t.post();
            t.last();
            t.remove();
            t.close();
        });
        QTest::newRow("update statement") << Path([](test::TestData& d) {
            plat::db::Query& q = *d.dm().Qr_Limpa;
            q.setSql({QStringLiteral("Update ZeltaBol Set Altera='S'")});
            q.execSql();
            d.db().exec(QStringLiteral("UPDATE ZELTAORI SET TITULO='OUTRO' WHERE rowid=1"));
            d.db().exec(QStringLiteral("UPDATE ZELTAINT SET Cotas=7"));
        });
        QTest::newRow("table emptied") << Path([](test::TestData& d) { d.db().emptyTable(QStringLiteral("ZELTABOL")); });
        QTest::newRow("recovery, then an edit") << Path([](test::TestData& d) {
            recuperarDados(d.dm(), samplePath());
            d.db().exec(QStringLiteral("UPDATE ZELTABOL SET CONTA_BANCO='77777' WHERE rowid=1"));
        });
        QTest::newRow("restore") << Path([](test::TestData& d) {
            QTemporaryDir other;
            const QString copy = other.filePath(QStringLiteral("c.db"));
            d.db().backupTo(copy);
            d.addHolder(QStringLiteral("DEPOIS DA COPIA"), test::makeCpf(333333333));
            d.dm().restore(copy);
            QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 2);
        });
        QTest::newRow("upgrade") << Path([](test::TestData& d) {
            d.db().exec(QStringLiteral("DROP TABLE ZELTADIG"));
            d.db().setUserVersion(3);
            d.db().close(); // opened, and upgraded, on next use
            QCOMPARE(d.db().userVersion(), TDm_Dados::kSchemaVersion);
        });
    }

    void everyWritePathKeepsDigestsCurrent()
    {
        QFETCH(std::function<void(test::TestData&)>, write);
        test::TestData data;
        data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE X"), 10);
        data.addAdvisor(test::makeCpf(111111111), QStringLiteral("ORIENTADOR UM"));
        data.addHolder(QStringLiteral("BOLSISTA UM"), test::makeCpf(444444444));
        data.addHolder(QStringLiteral("BOLSISTA DOIS"), test::makeCpf(555555555));
        write(data);
        const QList<OutsideChange> changes = findOutsideChanges(data.db());
        QVERIFY2(changes.isEmpty(), qPrintable(describeOutsideChanges(data.db(), changes, nullptr).join(u'\n')));
        QCOMPARE(data.db().scalar(QStringLiteral("SELECT count(*) FROM ZELTADIG")).toInt(),
                 data.count(QStringLiteral("ZELTAINT")) + data.count(QStringLiteral("ZELTAORI"))
                     + data.count(QStringLiteral("ZELTABOL")));
    }
};

QTEST_MAIN(TestRowDigests)
#include "test_row_digests.moc"
