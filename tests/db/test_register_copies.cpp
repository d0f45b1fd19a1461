// Copies and the register's file: a copy only of sound data, flushed and
// checked before its final name, why each was taken; restores only of sound
// copies; files that are not a whole register of ours left byte for byte.
#include "RegisterFiles.h"
#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "platform/db/Schema.h"
#include "platform/system/Error.h"
#include "platform/system/Settings.h"
#include "support/CliRun.h"
#include "support/TestData.h"
#include "support/Throws.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace plat::db;
using namespace zelta::test;
using zelta::CopyReason;
using zelta::RegisterCopies;
using zelta::TDm_Dados;

namespace {

const auto run = runCommand;

QStringList allFiles(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

QString registerIn(const QString& dir) { return QDir(dir).filePath(QStringLiteral("zelta99.db")); }

// Every file of a folder with its bytes.
QMap<QString, QByteArray> snapshot(const QString& dir)
{
    QMap<QString, QByteArray> out;
    for (const QString& name : allFiles(dir))
        out.insert(name, bytesOf(QDir(dir).filePath(name)));
    return out;
}

// A database of another program whose last write was interrupted: its
// journal (rollback mode) or its log (write-ahead mode) holds bytes the file
// lacks. The files are taken while the writer still has them open.
void foreignWithCompanion(const QString& dir, bool log)
{
    QTemporaryDir live;
    const QString file = registerIn(live.path());
    Database db;
    db.open(file, true);
    db.exec(log ? QStringLiteral("PRAGMA wal_autocheckpoint=0") : QStringLiteral("PRAGMA journal_mode=DELETE"));
    db.exec(QStringLiteral("PRAGMA cache_size=2")); // changed pages spill into the file mid-transaction
    db.exec(QStringLiteral("CREATE TABLE ALHEIA (X)"));
    for (int i = 0; i < 300; ++i)
        db.exec(QStringLiteral("INSERT INTO ALHEIA VALUES (randomblob(200))"));
    if (!log) {
        db.exec(QStringLiteral("BEGIN"));
        db.exec(QStringLiteral("UPDATE ALHEIA SET X = randomblob(210)"));
    }
    const QString companion = log ? QStringLiteral("-wal") : QStringLiteral("-journal");
    for (const QString& suffix : {QString(), companion})
        QVERIFY(QFile::copy(file + suffix, registerIn(dir) + suffix));
    QVERIFY(QFileInfo(registerIn(dir) + companion).size() > 0);
    if (!log)
        db.exec(QStringLiteral("ROLLBACK"));
}

void expectRefusedUntouched(const QString& dir)
{
    const auto before = snapshot(dir);
    for (const char* command : {"verificar", "copia"}) {
        const CliRun r = run({QString::fromLatin1(command), QStringLiteral("--dados"), dir});
        QVERIFY2(r.code == 2, qPrintable(r.err));
        QVERIFY2(snapshot(dir) == before, command); // companions included, none added
    }
    QVERIFY(!QFileInfo::exists(RegisterCopies::folder(dir)) || allFiles(RegisterCopies::folder(dir)).isEmpty());
}

} // namespace

class TestRegisterCopies : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { plat::sys::Settings::instance().setDataDirectoryOverride(QString()); }

    void copiesAreOnlyOfDataThatPassesTheFullCheck()
    {
        // Table and index disagree: the quick check passes, the full one does not.
        TestData d;
        fill(d, 300);
        const QStringList rows = dump(d.db());
        const QString file = closedRegister(d);
        emptyIndex(file, QStringLiteral("ZELTABOL_Nome_CPF"));
        {
            Database raw;
            raw.open(file, false);
            QVERIFY(raw.checkIntegrity(true).isEmpty());
            QVERIFY(zelta::test::throws(plat::Error::Kind::Output, [&] { RegisterCopies::take(raw, d.dir()); }));
        }
        QVERIFY(allFiles(RegisterCopies::folder(d.dir())).isEmpty());

        // The command line repairs first, tells so, and copies the repaired data.
        const CliRun r = run({QStringLiteral("copia"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("foram refeitos")), qPrintable(r.err));
        const QStringList copies = RegisterCopies::list(d.dir());
        QCOMPARE(copies.size(), 1);
        QVERIFY(copies.first().endsWith(QStringLiteral("-usuario.db")));
        QVERIFY(Database::checkFile(copies.first(), false).isEmpty());
        QCOMPARE(dump(d.db()), rows);

        // A report too is printed only after the full check.
        const QString again = closedRegister(d);
        emptyIndex(again, QStringLiteral("ZELTAORI_NOME"));
        QTemporaryDir out;
        const CliRun rel = run({QStringLiteral("relatorio"), QStringLiteral("orientadores"), QStringLiteral("--pdf"),
                                out.filePath(QStringLiteral("o.pdf")), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(rel.code == 0, qPrintable(rel.err));
        QVERIFY2(rel.err.contains(QStringLiteral("foram refeitos")), qPrintable(rel.err));
    }

    void copyAfterARepairAtOpenIsWrittenAndTheRepairTold()
    {
        // Bytes of an index page damaged: the open finds it and repairs,
        // keeping a copy of its own before the one asked for.
        TestData d;
        fill(d, 600);
        const QString file = closedRegister(d);
        damagePage(file, firstLeafOffset(file, QStringLiteral("ZELTABOL_Nome_CPF")));
        const CliRun r = run({QStringLiteral("copia"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("foram refeitos")), qPrintable(r.err));
        QCOMPARE(RegisterCopies::list(d.dir()).size(), 1);
        const QStringList kept = QDir(RegisterCopies::folder(d.dir())).entryList({QStringLiteral("*-reparo-danificado.db")});
        QCOMPARE(kept.size(), 1);
        QVERIFY(allFiles(RegisterCopies::folder(d.dir())).filter(QStringLiteral(".tmp")).isEmpty());
    }

    void aCopyIsFlushedBeforeItsFinalName()
    {
        TestData d;
        fill(d, 3);
        int calls = 0;
        const RegisterCopies::Sync previous = RegisterCopies::setSync([&](int) {
            ++calls;
            errno = EIO;
            return -1;
        });
        const auto restoreSync = qScopeGuard([&] { RegisterCopies::setSync(previous); });
        QVERIFY(zelta::test::throws(plat::Error::Kind::Output, [&] { RegisterCopies::take(d.db(), d.dir()); }));
        QCOMPARE(calls, 1);
        QVERIFY(RegisterCopies::list(d.dir()).isEmpty());
        QVERIFY(allFiles(RegisterCopies::folder(d.dir())).isEmpty()); // no temporary left either
    }

    void duplicatesIgnoreOnlyTheHeaderBytesEveryWriteChanges()
    {
        TestData d;
        fill(d, 3);
        const QDateTime t0(QDate(2026, 3, 1), QTime(9, 0, 0));
        QVERIFY(RegisterCopies::take(d.db(), d.dir(), t0).created);
        d.db().exec(QStringLiteral("PRAGMA application_id=77"));
        QVERIFY(RegisterCopies::take(d.db(), d.dir(), t0.addSecs(1)).created);
        d.db().setUserVersion(TDm_Dados::kSchemaVersion + 1);
        QVERIFY(RegisterCopies::take(d.db(), d.dir(), t0.addSecs(2)).created);
        // The same data again, after writes that changed nothing it holds.
        d.db().exec(QStringLiteral("UPDATE ZELTAINT SET Sigla=Sigla"));
        QVERIFY(!RegisterCopies::take(d.db(), d.dir(), t0.addSecs(3)).created);
        QCOMPARE(RegisterCopies::list(d.dir()).size(), 3);
    }

    void eachCopySaysWhyItWasTaken()
    {
        TestData d;
        fill(d, 2);
        const QString folder = RegisterCopies::folder(d.dir());
        const QDateTime t0(QDate(2026, 4, 1), QTime(8, 0, 0));
        const QString mine = RegisterCopies::take(d.db(), d.dir(), t0, true, CopyReason::User).path;
        QCOMPARE(QFileInfo(mine).fileName(), QStringLiteral("zelta99-20260401-080000-usuario.db"));
        // A copy named before reasons were written, and one within the same second.
        QVERIFY(QFile::copy(mine, QDir(folder).filePath(QStringLiteral("zelta99-20260301-080000.db"))));
        d.addHolder(QStringLiteral("OUTRO"), makeCpf(4242));
        const QString second = RegisterCopies::take(d.db(), d.dir(), t0, true, CopyReason::BeforeImport).path;
        QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("zelta99-20260401-080000-2-importacao.db"));

        const QList<zelta::RegisterCopy> described = RegisterCopies::describe(d.dir());
        QCOMPARE(described.size(), 3);
        QCOMPARE(described[0].reason, CopyReason::BeforeImport);
        QCOMPARE(described[1].reason, CopyReason::User);
        QCOMPARE(described[2].reason, CopyReason::Unknown);
        const CliRun list = run({QStringLiteral("copias"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(list.out.split(u'\n')[1].contains(QStringLiteral("  pelo usuário  2 bolsistas  1 orientadores")),
                 qPrintable(list.out));
        QVERIFY2(list.out.contains(QStringLiteral("  motivo desconhecido  ")), qPrintable(list.out));

        // A restore keeps the data it replaces as a copy taken before restoring.
        d.addHolder(QStringLiteral("AINDA OUTRO"), makeCpf(4343));
        const CliRun back = run({QStringLiteral("restaurar"), QStringLiteral("2"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(back.code == 0, qPrintable(back.err));
        QCOMPARE(RegisterCopies::describe(d.dir()).first().reason, CopyReason::BeforeRestore);
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 2);
    }

    void restoreTakesOnlyACopyThatPassesTheFullCheck()
    {
        TestData d;
        fill(d, 200);
        const QString good = RegisterCopies::take(d.db(), d.dir(), QDateTime(QDate(2026, 1, 1), QTime(1, 0))).path;
        d.addHolder(QStringLiteral("MAIS UM"), makeCpf(777));
        const QString bad = RegisterCopies::take(d.db(), d.dir(), QDateTime(QDate(2026, 1, 2), QTime(1, 0))).path;
        emptyIndex(bad, QStringLiteral("ZELTABOL_Nome_CPF"));
        QVERIFY(Database::checkFile(bad, true).isEmpty());
        const QString file = closedRegister(d);
        const QByteArray before = bytesOf(file);

        QVERIFY(zelta::test::throws(plat::Error::Kind::Input, [&] { d.dm().restore(bad); }));
        QCOMPARE(bytesOf(file), before);
        // A copy's own bytes are what is checked and restored: one with a
        // journal beside it is refused, and neither file is touched.
        writeBytes(good + QStringLiteral("-journal"), QByteArray(512, '\x01'));
        const QByteArray goodBytes = bytesOf(good);
        QVERIFY(zelta::test::throws(plat::Error::Kind::Input, [&] { d.dm().restore(good); }));
        QCOMPARE(bytesOf(good), goodBytes);
        QCOMPARE(bytesOf(good + QStringLiteral("-journal")), QByteArray(512, '\x01'));
        QFile::remove(good + QStringLiteral("-journal"));
        QCOMPARE(bytesOf(file), before);
        const QList<zelta::RegisterCopy> described = RegisterCopies::describe(d.dir());
        QVERIFY(!described[0].sound && described[1].sound);
        const CliRun list = run({QStringLiteral("copias"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(list.out.split(u'\n')[0].endsWith(QStringLiteral("não passa na verificação")), qPrintable(list.out));

        // Once the register is lost, the copy offered is the newest sound one.
        writeBytes(file, QByteArray(4096, 'x'));
        try {
            d.db().ensureOpen();
            QFAIL("a damaged register was opened");
        } catch (const plat::Error& e) {
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(good)), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("zelta99 restaurar 2")), qPrintable(e.message()));
        }
    }

    void restoringTheOldestOfFiveCopiesKeepsItUntilItIsRestored()
    {
        TestData d;
        fill(d, 1);
        const QDateTime t0(QDate(2026, 5, 1), QTime(7, 0, 0));
        for (int i = 0; i < RegisterCopies::kKept; ++i) {
            d.addHolder(QStringLiteral("MAIS %1").arg(i), makeCpf(900 + i));
            RegisterCopies::take(d.db(), d.dir(), t0.addDays(i));
        }
        d.addHolder(QStringLiteral("DEPOIS"), makeCpf(999));
        const CliRun r = run(
            {QStringLiteral("restaurar"), QString::number(RegisterCopies::kKept), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 2);
        QCOMPARE(RegisterCopies::list(d.dir()).size(), RegisterCopies::kKept);
    }

    void copiesBeforeAcceptingCannotPushOutTheOthers()
    {
        TestData d;
        fill(d, 1);
        const QDateTime t0(QDate(2026, 5, 1), QTime(7, 0, 0));
        const QString sound = RegisterCopies::take(d.db(), d.dir(), t0).path;
        for (int i = 1; i <= RegisterCopies::kKept + 1; ++i) {
            d.addHolder(QStringLiteral("ACEITO %1").arg(i), makeCpf(800 + i));
            RegisterCopies::take(d.db(), d.dir(), t0.addDays(i), true, CopyReason::BeforeAcceptance);
        }
        const QStringList listed = RegisterCopies::list(d.dir());
        QCOMPARE(listed.size(), RegisterCopies::kKept + 1);
        QCOMPARE(listed.first(), sound);
    }

    void replacingKeepsARegisterWhoseCopyingFailed()
    {
        TestData d;
        fill(d, 20);
        const QString file = closedRegister(d);
        const QStringList rows = dump(d.db());
        QTemporaryDir tmp;
        const QString notADatabase = tmp.filePath(QStringLiteral("lixo.db"));
        writeBytes(notADatabase, QByteArray(8192, 'z'));
        QVERIFY_THROWS_EXCEPTION(plat::Error, d.dm().replaceRegister(notADatabase));
        QVERIFY(QFileInfo::exists(file));
        QCOMPARE(dump(d.db()), rows);
    }

    void emptyRegisterBesideCopiesIsDamagedAndKept()
    {
        TestData d;
        fill(d, 5);
        const QString copy = RegisterCopies::take(d.db(), d.dir()).path;
        const QString file = closedRegister(d);
        // A file of no bytes, and one that holds the header of an empty database.
        writeBytes(file, QByteArray());
        for (int shape = 0; shape < 2; ++shape) {
            if (shape == 1) {
                QFile::remove(file);
                Database db;
                db.open(file, true);
                db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
            }
            const QByteArray before = bytesOf(file);
            const CliRun v = run({QStringLiteral("verificar"), QStringLiteral("--dados"), d.dir()});
            QCOMPARE(v.code, 2);
            QVERIFY2(v.err.contains(QStringLiteral("está danificado")) && v.err.contains(QDir::toNativeSeparators(copy)),
                     qPrintable(v.err));
            QCOMPARE(bytesOf(file), before);
        }
        // The copy named puts the register back; the empty file is kept apart.
        const CliRun back = run({QStringLiteral("restaurar"), QStringLiteral("1"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(back.code == 0, qPrintable(back.err));
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 5);
        // Without any copy, an empty file is a new register.
        writeBytes(closedRegister(d), QByteArray());
        QDir(RegisterCopies::folder(d.dir())).removeRecursively();
        const CliRun v = run({QStringLiteral("verificar"), QStringLiteral("--dados"), d.dir()});
        QVERIFY2(v.code == 0, qPrintable(v.err));
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 0);
    }

    void foreignFilesKeepEveryByteWithTheirCompanions()
    {
        for (const bool log : {false, true}) {
            QTemporaryDir dir;
            foreignWithCompanion(dir.path(), log);
            expectRefusedUntouched(dir.path());
        }
    }

    void ourTableNamesOverOtherColumnsAreForeign()
    {
        for (const int version : {1, TDm_Dados::kSchemaVersion}) {
            QTemporaryDir dir;
            {
                Database db;
                db.open(registerIn(dir.path()), true);
                for (TableDef def : TDm_Dados::tableDefinitions()) {
                    if (def.name == QStringLiteral("ZELTABOL"))
                        def.fields.removeLast(); // one column short
                    db.exec(createTableSql(def));
                }
                db.setUserVersion(version);
                db.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
            }
            expectRefusedUntouched(dir.path());
        }
    }
};

QTEST_MAIN(TestRegisterCopies)
#include "test_register_copies.moc"
