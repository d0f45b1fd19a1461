// The register's file: upgrade of an older schema, files refused untouched,
// damaged indexes repaired, damaged tables refused, whole copies, restore.
#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "exchange/SubmissionWriter.h"
#include "platform/db/Schema.h"
#include "platform/db/Table.h"
#include "platform/system/Error.h"
#include "platform/system/Settings.h"
#include "RegisterFiles.h"
#include "support/CliRun.h"
#include "support/SubmissionFile.h"
#include "support/TestData.h"
#include "support/Throws.h"
#include "support/SourceTree.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace plat::db;
using zelta::RegisterCopies;
using zelta::TDm_Dados;
using zelta::test::makeCpf;
using zelta::test::TestData;
using zelta::test::bytesOf;
using zelta::test::closedRegister;
using zelta::test::damagePage;
using zelta::test::dump;
using zelta::test::fill;
using zelta::test::firstLeafOffset;
using zelta::test::writeBytes;
using zelta::test::changeStored;
using zelta::test::kEvery;

namespace {

const auto run = zelta::test::runCommand;

QString digits(QString cpf) { return cpf.remove(u'.').remove(u'-'); }

} // namespace

class TestRegister : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { plat::sys::Settings::instance().setDataDirectoryOverride(QString()); }

    void upgradesARegisterOfVersionOne()
    {
        // A register as version 1 wrote it: the same tables with computed
        // (VIRTUAL) sort columns.
        QTemporaryDir tmp;
        const QString file = QDir(tmp.path()).filePath(QStringLiteral("zelta99.db"));
        QStringList before;
        {
            Database db;
            db.open(file, true);
            Database::Transaction tx(db);
            for (const TableDef& def : TDm_Dados::tableDefinitions()) {
                db.exec(createTableSql(def).replace(QStringLiteral(" STORED"), QStringLiteral(" VIRTUAL")));
                for (const QString& sql : createIndexSql(def))
                    db.exec(sql);
                db.addTable(def);
            }
            db.exec(QStringLiteral("INSERT INTO ZELTAINT (Numero_Instituicao, Sigla, Cotas, Nome) VALUES ('1', 'U', 3, 'UNI')"));
            for (int i = 1; i <= 5; ++i)
                db.exec(QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME) VALUES (?, ?)"),
                        {makeCpf(i), QStringLiteral("ÉDER %1").arg(i)});
            db.exec(QStringLiteral("DELETE FROM ZELTAORI WHERE Codigo=5")); // the counter stays at 5
            for (int i = 0; i < 40; ++i)
                db.exec(QStringLiteral("INSERT INTO ZELTABOL (Nome, CPF, NUMERO_ORIENTADOR) VALUES (?, ?, ?)"),
                        {QStringLiteral("ÁGATA %1").arg(39 - i), makeCpf(1000 + i), 1 + i % 4});
            db.exec(QStringLiteral("DELETE FROM ZELTABOL WHERE rowid IN (3, 17)"));
            db.exec(QStringLiteral("INSERT INTO GRANDE_A (SUBAREA, CODIGO) VALUES ('ÓPTICA', '1.00.00.00-1')"));
            db.setUserVersion(1);
            tx.commit();
            before = dump(db);
        }

        TDm_Dados dm(tmp.path());
        Database& db = dm.database();
        QCOMPARE(db.userVersion(), TDm_Dados::kSchemaVersion);
        QCOMPARE(dump(db), before);
        QVERIFY(db.checkIntegrity(false).isEmpty());
        // The indexed sort columns are stored now (table_xinfo: 3 stored, 2 virtual).
        for (const char* table : {"ZELTABOL", "ZELTAORI", "GRANDE_A"}) {
            Statement st = db.prepare(QStringLiteral("SELECT name, hidden FROM pragma_table_xinfo(?)"));
            st.bind(1, QString::fromLatin1(table));
            int stored = 0;
            while (st.step())
                if (st.text(0).startsWith(QStringLiteral("ORD_")) && st.text(0).count(u'_') == 1)
                    stored += st.int64(1) == 3 ? 1 : -100;
            QVERIFY2(stored >= 1, table);
        }
        // The name order still folds accents, and new advisors follow the old counter.
        dm.Tb_Bolsistas->open();
        QCOMPARE(dm.Tb_Bolsistas->field(QStringLiteral("Nome")).asString(), QStringLiteral("ÁGATA 0"));
        dm.Tb_Bolsistas->close();
        db.exec(QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME) VALUES ('x', 'NOVO')"));
        QCOMPARE(db.lastInsertRowId(), 6);
        // The register as it was is kept among the copies.
        QCOMPARE(RegisterCopies::list(tmp.path()).size(), 1);
    }

    void upgradeRaisesTheAccentsOfStoredTitlesAndKeepsTheFile()
    {
        // A version-2 register, whose entry form raised only a to z.
        TestData d;
        d.setInstitution(QStringLiteral("123456789"), QStringLiteral("U"), QStringLiteral("UNI"), 3);
        const QString stored = QStringLiteral("GESTãO DE CUSTOS NO AGRONEGóCIO ñ");
        const qint64 a = d.addAdvisor(makeCpf(7), QStringLiteral("ÁLVARO"), QStringLiteral("D"), stored);
        const qint64 b = d.addAdvisor(makeCpf(8), QStringLiteral("BETO"), QStringLiteral("D"), QStringLiteral("ÓTICA"));
        d.addHolder(QStringLiteral("ANA"), makeCpf(9), QStringLiteral("Novo"), makeCpf(7), a);
        auto record = [](Database& db) {
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            zelta::writeSubmission(db, QStringLiteral("123456789"), out);
            return zelta::test::checkedSubmission(out.data()).mid(12);
        };
        const QByteArray before = record(d.db());
        d.db().setUserVersion(2);
        const QString dir = QFileInfo(closedRegister(d)).absolutePath();

        TDm_Dados dm(dir);
        Database& db = dm.database();
        QCOMPARE(db.userVersion(), TDm_Dados::kSchemaVersion);
        const QList<zelta::RegisterCopy> copies = RegisterCopies::describe(dir);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.first().reason, zelta::CopyReason::BeforeUpgrade);
        // Raised in place, record numbers kept; what the cursors of the form
        // and the list read.
        dm.Tb_Orientador->open();
        QVERIFY(dm.Tb_Orientador->gotoBookmark(Bookmark{{}, a}));
        QCOMPARE(dm.Tb_Orientador->field(QStringLiteral("TITULO")).asString(),
                 QStringLiteral("GESTÃO DE CUSTOS NO AGRONEGÓCIO Ñ"));
        dm.Tb_Orientador->close();
        QCOMPARE(db.scalar(QStringLiteral("SELECT TITULO FROM ZELTAORI WHERE Codigo=?"), {b}).toString(),
                 QStringLiteral("ÓTICA"));
        // The submission record is the same for every letter its cleaning maps;
        // a letter it leaves (ñ) now reaches the file as its capital.
        QByteArray expected = before;
        expected.replace(QByteArray("NEGOCIO \xF1"), QByteArray("NEGOCIO \xD1"));
        QVERIFY(expected != before);
        QCOMPARE(record(db), expected);
    }

    void refusedFilesKeepEveryByte()
    {
        // In rollback-journal mode, where switching to the write-ahead log
        // would rewrite the header: a foreign file, a newer register and a
        // register with a damaged table.
        QTemporaryDir tmp;
        const QString exampleTex = zelta::test::sourceDir() + QStringLiteral("/resources/exemplo/EXEMPLO.TEX");
        auto rollback = [](const QString& file) {
            Database db;
            db.open(file, false);
            db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        };
        QStringList dirs;
        {
            const QString dir = tmp.filePath(QStringLiteral("alheio"));
            QDir().mkpath(dir);
            Database db;
            db.open(QDir(dir).filePath(QStringLiteral("zelta99.db")), true);
            db.exec(QStringLiteral("CREATE TABLE ALHEIA (X)"));
            db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
            dirs << dir;
        }
        {
            TestData d;
            d.db().setUserVersion(TDm_Dados::kSchemaVersion + 1);
            const QString file = closedRegister(d);
            const QString dir = tmp.filePath(QStringLiteral("nova"));
            QDir().mkpath(dir);
            QFile::copy(file, QDir(dir).filePath(QStringLiteral("zelta99.db")));
            dirs << dir;
        }
        {
            TestData d;
            fill(d, 400);
            const QString file = closedRegister(d);
            damagePage(file, firstLeafOffset(file, QStringLiteral("ZELTABOL")));
            const QString dir = tmp.filePath(QStringLiteral("danificada"));
            QDir().mkpath(dir);
            QFile::copy(file, QDir(dir).filePath(QStringLiteral("zelta99.db")));
            dirs << dir;
        }
        for (const QString& dir : std::as_const(dirs)) {
            const QString file = QDir(dir).filePath(QStringLiteral("zelta99.db"));
            rollback(file);
            const QByteArray before = bytesOf(file);
            QVERIFY(before.at(18) == 1); // rollback journal
            const QList<QStringList> commands{{QStringLiteral("verificar")},
                                              {QStringLiteral("gerar"), QStringLiteral("--destino"), tmp.path()},
                                              {QStringLiteral("copia")},
                                              {QStringLiteral("relatorio"), QStringLiteral("orientadores"),
                                               QStringLiteral("--pdf"), tmp.filePath(QStringLiteral("r.pdf"))},
                                              {QStringLiteral("recuperar"), exampleTex}};
            for (QStringList args : commands) {
                // A recovery does not refuse a damaged register: it builds a new one.
                if (args.first() == QStringLiteral("recuperar") && dir.endsWith(QStringLiteral("danificada")))
                    continue;
                args << QStringLiteral("--dados") << dir;
                const zelta::test::CliRun r = run(args);
                QVERIFY2(r.code == 2, qPrintable(args.first() + r.err));
                QVERIFY2(bytesOf(file) == before, qPrintable(dir + u' ' + args.first()));
            }
            QVERIFY(!QFile::exists(file + QStringLiteral("-wal")));
            QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
        }
    }

    void writerCountsTheTableNotAnIndex()
    {
        TestData d;
        fill(d, 40);
        const QString file = closedRegister(d);
        // Every index of the holders loses every entry (its root swapped with
        // that of an empty index), the table stays whole: any count or walk
        // through an index finds no holder.
        {
            Database raw;
            raw.open(file, false);
            Statement names = raw.prepare(
                QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='ZELTABOL'"));
            QStringList indexes;
            while (names.step())
                indexes << names.text(0);
            QVERIFY(!indexes.isEmpty());
            raw.exec(QStringLiteral("PRAGMA writable_schema=ON"));
            for (int i = 0; i < indexes.size(); ++i) {
                raw.exec(QStringLiteral("CREATE INDEX VAZIO%1 ON ZELTABOL (Nome) WHERE 0").arg(i));
                const QString empty = QStringLiteral("VAZIO%1").arg(i);
                const QVariant a = raw.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name=?"), {indexes[i]});
                const QVariant b = raw.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name=?"), {empty});
                raw.exec(QStringLiteral("UPDATE sqlite_master SET rootpage=? WHERE name=?"), {b, indexes[i]});
                raw.exec(QStringLiteral("UPDATE sqlite_master SET rootpage=? WHERE name=?"), {a, empty});
            }
        }
        // Called directly, past the register's check: the writer either
        // refuses or writes every row of the table, never a file that agrees
        // with the damaged index alone.
        Database raw;
        raw.open(file, false);
        for (const TableDef& def : TDm_Dados::tableDefinitions())
            raw.addTable(def);
        QCOMPARE(raw.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL NOT INDEXED")).toInt(), 40);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const std::optional<QString> refused = zelta::test::thrown(plat::Error::Kind::Output, [&] {
            zelta::writeSubmission(raw, QStringLiteral("123456789"), out);
        });
        if (!refused)
            QCOMPARE((zelta::test::checkedSubmission(out.data()).size() - 12) / 518, 40);
        else
            QVERIFY2(refused->contains(QStringLiteral("a tabela ZELTABOL tem 40")), qPrintable(*refused));
    }

    void damagedIndexIsRebuiltAfterACopy()
    {
        TestData d;
        fill(d, 600);
        const QStringList rows = dump(d.db());
        const QString file = closedRegister(d);
        // The name index of the holders loses every entry: its root is
        // swapped with that of an empty index over the same columns.
        {
            Database raw;
            raw.open(file, false);
            raw.exec(QStringLiteral("CREATE INDEX VAZIO ON ZELTABOL (ORD_NOME, Nome, CPF) WHERE 0"));
            const QVariant full = raw.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name='ZELTABOL_Nome_CPF'"));
            const QVariant empty = raw.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name='VAZIO'"));
            raw.exec(QStringLiteral("PRAGMA writable_schema=ON"));
            raw.exec(QStringLiteral("UPDATE sqlite_master SET rootpage=? WHERE name='ZELTABOL_Nome_CPF'"), {empty});
            raw.exec(QStringLiteral("UPDATE sqlite_master SET rootpage=? WHERE name='VAZIO'"), {full});
        }
        // The writer alone walks the damaged index: it refuses a short file.
        {
            Database raw;
            raw.open(file, false);
            for (const TableDef& def : TDm_Dados::tableDefinitions())
                raw.addTable(def);
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            QVERIFY(zelta::test::throws(plat::Error::Kind::Output,
                                        [&] { zelta::writeSubmission(raw, QStringLiteral("123456789"), out); }));
        }

        zelta::test::SubmissionFolder dest;
        const QString target = QDir(dest.path()).filePath(QStringLiteral("12345678.htm"));
        const QStringList gerar{QStringLiteral("gerar"), QStringLiteral("--destino"), dest.path(), QStringLiteral("--dados"),
                                d.dir()};
        const zelta::test::CliRun r = run(gerar);
        QVERIFY2(r.err.contains(QStringLiteral("foram refeitos")), qPrintable(r.err));
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(QFileInfo(target).size(), 12 + 518 * 600);
        QVERIFY(d.db().checkIntegrity(false).isEmpty());
        QCOMPARE(dump(d.db()), rows);
        const QStringList kept = QDir(RegisterCopies::folder(d.dir())).entryList({QStringLiteral("*-danificado.db")});
        QCOMPARE(kept.size(), 1);
        QVERIFY(RegisterCopies::list(d.dir()).isEmpty()); // never offered for restoring

        // Bytes of an index page damaged: the generation refuses or repairs,
        // and never writes a short file.
        QFile::remove(target);
        const QString again = closedRegister(d);
        damagePage(again, firstLeafOffset(again, QStringLiteral("ZELTABOL_Nome_CPF")));
        const zelta::test::CliRun r2 = run(gerar);
        if (r2.code == 0)
            QCOMPARE(QFileInfo(target).size(), 12 + 518 * 600);
        else
            QVERIFY2(!QFile::exists(target), qPrintable(r2.err));
    }

    void changedCpfInATablePageIsRefusedOrRestoredFromASoundCopy()
    {
        TestData d;
        fill(d, 320);
        const QString cpf = makeCpf(100000007);
        const QString file = closedRegister(d);
        const QByteArray sound = bytesOf(file);
        const QString changed = changeStored(file, cpf, 1, cpf[1] == u'9' ? u'0' : QChar(cpf[1].unicode() + 1));
        const QByteArray damaged = bytesOf(file);
        QTemporaryDir dest;
        const QStringList gerar{QStringLiteral("gerar"), QStringLiteral("--destino"), dest.path(), QStringLiteral("--dados"),
                                d.dir()};
        const QString target = QDir(dest.path()).filePath(QStringLiteral("12345678.htm"));

        // Only the full check sees this damage (the quick one passes), and
        // with no copy to settle it the verification and the generation
        // refuse, naming the holder; no page of the file changes.
        const zelta::test::CliRun v = run({QStringLiteral("verificar"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(v.code == 2 && v.err.contains(QStringLiteral("BOLSISTA 00007")) && v.err.contains(changed), qPrintable(v.err));
        QVERIFY(!v.err.contains(QStringLiteral("nenhum registro foi perdido")));
        // The engine's own lines follow the message, apart from it.
        const qsizetype details = v.err.indexOf(QStringLiteral(".\nDetalhes:\n"));
        QVERIFY2(details > 0 && v.err.indexOf(QStringLiteral("index"), details) > details, qPrintable(v.err));
        QVERIFY2(!v.err.left(details).contains(QStringLiteral("index")), qPrintable(v.err));
        const zelta::test::CliRun g = run(gerar);
        QVERIFY2(g.code == 2 && !QFile::exists(target), qPrintable(g.err));
        QCOMPARE(bytesOf(file).mid(100), damaged.mid(100));

        // A sound copy holding the value the indexes hold proves the table's
        // cell damaged: its value is restored and said so, never "nothing lost".
        writeBytes(file, sound);
        const QString copy = RegisterCopies::take(d.db(), d.dir()).path;
        d.db().close();
        writeBytes(file, damaged);
        const zelta::test::CliRun g2 = run(gerar);
        QVERIFY2(g2.code == 0, qPrintable(g2.err));
        QVERIFY2(g2.err.contains(QDir::toNativeSeparators(copy)) && g2.err.contains(changed), qPrintable(g2.err));
        QVERIFY(!g2.err.contains(QStringLiteral("nenhum registro foi perdido")));
        const QByteArray written = bytesOf(target);
        QVERIFY(written.contains(digits(cpf).toLatin1()) && !written.contains(digits(changed).toLatin1()));
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE CPF=?"), {cpf}).toInt(), 1);
        // The register as it was is kept, page for page (the header aside).
        const QDir folder(RegisterCopies::folder(d.dir()));
        const QStringList kept = folder.entryList({QStringLiteral("*-danificado.db")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(bytesOf(folder.filePath(kept.first())).mid(100), damaged.mid(100));

        // A recovery into the damaged register builds a new one instead.
        d.db().close();
        writeBytes(file, damaged);
        QFile::remove(copy);
        const QString exampleTex = zelta::test::sourceDir() + QStringLiteral("/resources/exemplo/EXEMPLO.TEX");
        const zelta::test::CliRun r = run({QStringLiteral("recuperar"), exampleTex, QStringLiteral("--dados"), d.dir()});
        QVERIFY2(r.code == 0 && r.err.contains(QStringLiteral("estava danificado")), qPrintable(r.err));
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 12);
    }

    void theCopyDecidesBetweenATableAndIndexesThatAllDisagree()
    {
        TestData d;
        fill(d, 320);
        const QString copy = RegisterCopies::take(d.db(), d.dir()).path;
        const QString later = makeCpf(700000001);
        d.addHolder(QStringLiteral("CHEGOU DEPOIS DA COPIA"), later);
        const QString cpf = makeCpf(100000011);
        QString file = closedRegister(d);
        // Every index entry says another CPF; the copy holds the table's: the
        // indexes were wrong, and rebuilding them loses nothing.
        changeStored(file, cpf, 4, cpf[4] == u'9' ? u'0' : QChar(cpf[4].unicode() + 1), 0x0a, kEvery);
        const zelta::test::CliRun v = run({QStringLiteral("verificar"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(v.code != 2 && v.err.contains(QStringLiteral("nenhum registro foi perdido")), qPrintable(v.err));
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE CPF=?"), {cpf}).toInt(), 1);

        // A row the copy does not hold cannot be settled: refused, naming the
        // holder and the copy to restore.
        file = closedRegister(d);
        const QString changed = changeStored(file, later, 0, u'9');
        const zelta::test::CliRun r = run({QStringLiteral("verificar"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(r.code == 2 && r.err.contains(QStringLiteral("CHEGOU DEPOIS DA COPIA")) && r.err.contains(changed)
                     && r.err.contains(QDir::toNativeSeparators(copy)),
                 qPrintable(r.err));
    }

    void strayIndexEntryGoesWhenAnotherIndexConfirmsTheTable()
    {
        TestData d;
        fill(d, 50);
        const QStringList rows = dump(d.db());
        const QString file = closedRegister(d);
        // The CPF index takes the b-tree of an index over the same rows and one
        // more (record 900), which the table and the other indexes lack.
        {
            Database raw;
            raw.open(file, false);
            raw.exec(QStringLiteral("CREATE TABLE OUTRA AS SELECT rowid AS r, CPF FROM ZELTABOL"));
            raw.exec(QStringLiteral("INSERT INTO OUTRA VALUES (900, '999.999.999-99')"));
            raw.exec(QStringLiteral("CREATE TABLE ESPELHO (CPF TEXT)"));
            raw.exec(QStringLiteral("CREATE INDEX ESPELHO_CPF ON ESPELHO (CPF)"));
            raw.exec(QStringLiteral("INSERT INTO ESPELHO (rowid, CPF) SELECT r, CPF FROM OUTRA"));
            const QVariant mine = raw.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name='ZELTABOL_CPF'"));
            const QVariant other = raw.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name='ESPELHO_CPF'"));
            raw.exec(QStringLiteral("PRAGMA writable_schema=ON"));
            raw.exec(QStringLiteral("UPDATE sqlite_master SET rootpage=? WHERE name='ZELTABOL_CPF'"), {other});
            raw.exec(QStringLiteral("UPDATE sqlite_master SET rootpage=? WHERE name='ESPELHO_CPF'"), {mine});
        }
        const zelta::test::CliRun v = run({QStringLiteral("verificar"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(v.code != 2 && v.err.contains(QStringLiteral("nenhum registro foi perdido")), qPrintable(v.err));
        QCOMPARE(dump(d.db()), rows);
    }

    void damagedSortColumnIsComputedAgainFromTheName()
    {
        TestData d;
        fill(d, 200);
        const QString file = closedRegister(d);
        // The stored sort key of holder 5 says 00095: it would sort after 00094.
        changeStored(file, QStringLiteral("BOLSISTA 00005 CAO"), 12, u'9', 0x0d, -1);
        const zelta::test::CliRun v = run({QStringLiteral("verificar"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(v.code != 2 && v.err.contains(QStringLiteral("nenhum registro foi perdido")), qPrintable(v.err));
        QStringList names;
        Statement st = d.db().prepare(QStringLiteral("SELECT Nome FROM ZELTABOL INDEXED BY ZELTABOL_Nome_CPF ORDER BY ORD_NOME"));
        while (st.step())
            names << st.text(0);
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(names.size(), 200);
        QCOMPARE(names, sorted);
        QVERIFY(d.db().checkIntegrity(false).isEmpty());
    }

    void aCheckThatCannotRunNeverCallsTheFileSound()
    {
        QTemporaryDir tmp;
        const QString garbage = tmp.filePath(QStringLiteral("lixo.db"));
        writeBytes(garbage, QByteArray(8192, 'x')); // the check cannot even be prepared
        QVERIFY(!Database::checkFile(garbage, false).isEmpty());
        QVERIFY(!Database::checkFile(garbage, true).isEmpty());

        // The check stops with an error: another program holds the file.
        TestData d;
        fill(d, 5);
        const QString file = closedRegister(d);
        Database checker;
        checker.openReadOnly(file);
        checker.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        Database holder;
        holder.open(file, false);
        holder.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
        holder.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        QVERIFY(!checker.checkIntegrity(false).isEmpty());
    }

    void damagedTableIsRefusedNamingTheNewestCopyThenRestored()
    {
        TestData d;
        fill(d, 500);
        const QStringList rows = dump(d.db());
        const QString copy = RegisterCopies::take(d.db(), d.dir()).path;
        d.db().exec(QStringLiteral("DELETE FROM ZELTABOL WHERE rowid > 100"));
        const QString file = closedRegister(d);
        damagePage(file, firstLeafOffset(file, QStringLiteral("ZELTABOL")));
        const QByteArray damaged = bytesOf(file);

        try {
            d.db().ensureOpen();
            QFAIL("a damaged register was opened");
        } catch (const plat::Error& e) {
            QCOMPARE(e.kind(), plat::Error::Kind::Damaged);
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(copy)), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("zelta99 restaurar 1")), qPrintable(e.message()));
        }
        const zelta::test::CliRun v = run({QStringLiteral("verificar"), QStringLiteral("--dados"), d.dir()});
        QCOMPARE(v.code, 2);
        QVERIFY(v.err.startsWith(QStringLiteral("O arquivo de dados ")));
        QCOMPARE(bytesOf(file), damaged);

        const zelta::test::CliRun list = run({QStringLiteral("copias"), QStringLiteral("--dados"), d.dir()});
        QCOMPARE(list.out, QDir::toNativeSeparators(copy) + QStringLiteral("  ")
                               + RegisterCopies::describeFile(copy).taken.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                               + QStringLiteral("  motivo desconhecido  500 bolsistas  1 orientadores\n"));
        const zelta::test::CliRun back = run(
            {QStringLiteral("restaurar"), QStringLiteral("1"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(back.code == 0, qPrintable(back.err));
        QVERIFY2(back.out.contains(QStringLiteral("danificado")), qPrintable(back.out)); // the damaged data was kept
        QCOMPARE(dump(d.db()), rows);
        QCOMPARE(RegisterCopies::list(d.dir()), QStringList{copy});
        QCOMPARE(run({QStringLiteral("restaurar"), QStringLiteral("2"), QStringLiteral("--dados"), d.dir()}).code, 2);
    }

    void registerWithoutItsHeaderIsRestoredAndKeptByteForByte()
    {
        TestData d;
        fill(d, 300);
        const QStringList rows = dump(d.db());
        RegisterCopies::take(d.db(), d.dir());
        const QString file = closedRegister(d);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.write(QByteArray(100, 'x')); // SQLite no longer sees a database
        f.close();
        const QByteArray damaged = bytesOf(file);

        const zelta::test::CliRun v = run({QStringLiteral("verificar"), QStringLiteral("--dados"), d.dir()});
        QCOMPARE(v.code, 2);
        QVERIFY2(v.err.contains(QStringLiteral("zelta99 restaurar 1")), qPrintable(v.err));
        const zelta::test::CliRun back = run(
            {QStringLiteral("restaurar"), QStringLiteral("1"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(back.code == 0, qPrintable(back.err));
        QCOMPARE(dump(d.db()), rows);
        const QDir folder(RegisterCopies::folder(d.dir()));
        const QStringList kept = folder.entryList({QStringLiteral("*-danificado.db")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(bytesOf(folder.filePath(kept.first())), damaged);
    }

    void scratchLeftOverByAKilledProcessGoesWhenTheRegisterOpens()
    {
        TestData d;
        const QString file = closedRegister(d);
        const QDir dir(d.dir());
        // 999999999 is above any process number the system hands out.
        writeBytes(dir.filePath(QStringLiteral(".zelta99-reparo-999999999-AbCdEf.db")), "scratch");
        writeBytes(dir.filePath(QStringLiteral(".zelta99-reparo-999999999-AbCdEf.db-journal")), "journal");
        QVERIFY(dir.mkpath(QStringLiteral(".zelta99-recuperacao-999999999-GhIjKl")));
        writeBytes(dir.filePath(QStringLiteral(".zelta99-recuperacao-999999999-GhIjKl/zelta99.db")), "fresh");
        const QString live = QStringLiteral(".zelta99-reparo-%1-MnOpQr.db").arg(QCoreApplication::applicationPid());
        writeBytes(dir.filePath(live), "in use");
        writeBytes(dir.filePath(QStringLiteral(".zelta99-outro")), "not ours to judge");
        QVERIFY(QFileInfo::exists(file));
        d.db().ensureOpen();
        QCOMPARE(dir.entryList({QStringLiteral(".zelta99-*")}, QDir::AllEntries | QDir::Hidden),
                 (QStringList{QStringLiteral(".zelta99-outro"), live}));
    }

    void theRegistersOwnFilesAreNeverAnOutputsTarget()
    {
        QTemporaryDir dir, other;
        const QDir d(dir.path());
        for (const char* name : {"zelta99.db", "zelta99.db-wal", "zelta99.db-shm", "zelta99.db-journal"})
            QVERIFY2(TDm_Dados::isRegisterFile(d.filePath(QString::fromLatin1(name)), dir.path()), name);
        QVERIFY(TDm_Dados::isRegisterFile(d.filePath(QStringLiteral("sub/../zelta99.db")), dir.path() + QStringLiteral("/")));
        QVERIFY(!TDm_Dados::isRegisterFile(d.filePath(QStringLiteral("zelta99.db.pdf")), dir.path()));
        QVERIFY(!TDm_Dados::isRegisterFile(QDir(other.path()).filePath(QStringLiteral("zelta99.db")), dir.path()));
    }

    void copiesAreWholeDistinctAndFive()
    {
        TestData d;
        fill(d, 3);
        const QString folder = RegisterCopies::folder(d.dir());
        QDir().mkpath(folder);
        // Leftovers of an interrupted copy (a process that no longer runs).
        const QString leftover = QDir(folder).filePath(QStringLiteral(".zelta99-20260101-100000-999999999.tmp"));
        writeBytes(leftover, "partial");
        writeBytes(leftover + QStringLiteral("-journal"), "partial");

        const QDateTime t0(QDate(2026, 1, 1), QTime(10, 0, 0));
        const RegisterCopies::Taken first = RegisterCopies::take(d.db(), d.dir(), t0);
        QVERIFY(first.created);
        QVERIFY(!QFile::exists(leftover) && !QFile::exists(leftover + QStringLiteral("-journal")));
        QVERIFY(Database::checkFile(first.path, false).isEmpty());
        // The same content again is not kept twice.
        const RegisterCopies::Taken same = RegisterCopies::take(d.db(), d.dir(), t0.addSecs(60));
        QVERIFY(!same.created);
        QCOMPARE(same.path, first.path);
        QStringList taken{first.path};
        for (int i = 1; i <= 6; ++i) {
            d.addHolder(QStringLiteral("MAIS %1").arg(i), makeCpf(500000 + i));
            taken << RegisterCopies::take(d.db(), d.dir(), t0.addDays(i)).path;
        }
        QCOMPARE(RegisterCopies::list(d.dir()), taken.mid(2));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), RegisterCopies::kKept);
        const QList<zelta::RegisterCopy> described = RegisterCopies::describe(d.dir());
        QCOMPARE(described.first().path, taken.last());
        QCOMPARE(described.first().holders, 9);
        QCOMPARE(described.first().sigla, QStringLiteral("UFX"));
        QCOMPARE(RegisterCopies::resolve(d.dir(), QStringLiteral("5")), taken.at(2));
        QVERIFY(RegisterCopies::resolve(d.dir(), QStringLiteral("6")).isEmpty());

        const zelta::test::CliRun made = run({QStringLiteral("copia"), QStringLiteral("--dados"), d.dir()});
        QCOMPARE(made.code, 0);
        QCOMPARE(made.out, QDir::toNativeSeparators(taken.last()) + u'\n'); // nothing changed since
    }

    void recoveryIntoADamagedRegisterBuildsANewOne()
    {
        TestData d;
        fill(d, 400);
        const QString file = closedRegister(d);
        damagePage(file, firstLeafOffset(file, QStringLiteral("ZELTABOL")));
        const QByteArray damaged = bytesOf(file);
        const QString exampleTex = zelta::test::sourceDir() + QStringLiteral("/resources/exemplo/EXEMPLO.TEX");
        const zelta::test::CliRun r = run({QStringLiteral("recuperar"), exampleTex, QStringLiteral("--dados"), d.dir()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("estava danificado")), qPrintable(r.err));
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 12);
        QCOMPARE(d.count(QStringLiteral("GRANDE_A")), 1283);
        QVERIFY(d.db().checkIntegrity(false).isEmpty());
        const QStringList kept = QDir(RegisterCopies::folder(d.dir())).entryList({QStringLiteral("*-danificado.db")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(bytesOf(QDir(RegisterCopies::folder(d.dir())).filePath(kept.first())).size(), damaged.size());
        QVERIFY(QDir(d.dir()).entryList({QStringLiteral(".zelta99-*")}, QDir::AllEntries | QDir::Hidden).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRegister)
#include "test_register.moc"
