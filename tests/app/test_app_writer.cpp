// What keeps the register safe from other programs and other users: the list
// windows never write by a record number that another program has since given
// to somebody else, and what the program creates is private to its user.
#include "../advisors/AdvisorFixture.h"

#include "app/windows/TFrm_Copias.h"

#include "data/RegisterCopies.h"
#include "data/TDm_Dados.h"
#include "holders/windows/TFrm_Bolsistas.h"
#include "platform/system/AtomicFile.h"
#include "support/CliRun.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QToolButton>

#include <sys/stat.h>

using namespace zelta;
using zelta::test::makeCpf;

namespace {

int modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

class TestAppWriter : public QObject {
    Q_OBJECT

private slots:
    void holderListDoesNotWriteToARecordAnotherProgramReplaced()
    {
        zelta::test::AdvisorFixture f;
        f.data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE X"), 10);
        const qint64 ana = f.data.addHolder(QStringLiteral("ANA"), makeCpf(100000001), QStringLiteral("Excluído"));
        const qint64 bruno = f.data.addHolder(QStringLiteral("BRUNO"), makeCpf(100000002), QStringLiteral("Excluído"));
        TFrm_Bolsistas list(f.sessao);
        list.create();
        list.show();
        QVERIFY(zelta::test::activate(&list));
        QCOMPARE(f.dm().Tb_Bolsistas->field(QStringLiteral("Nome")).asString(), QStringLiteral("ANA"));

        // Another program (a restore of an older copy, say) puts someone else
        // under the record number the list shows as ANA.
        plat::db::Database other;
        other.open(f.dm().databaseFile(), false);
        other.exec(QStringLiteral("UPDATE ZELTABOL SET Nome='CARLA', CPF=? WHERE rowid=?"), {makeCpf(100000003), ana});
        list.BitBtnRenovar->click();
        QVERIFY2(f.messages.last().text.contains(QStringLiteral("alterados por outro programa")),
                 qPrintable(f.messages.last().text));
        const QString byNumber = QStringLiteral("SELECT SITUACAO FROM ZELTABOL WHERE rowid=?");
        QCOMPARE(f.value(byNumber, {ana}), QStringLiteral("Excluído"));
        // The list now shows what is stored; asked again, the user gets it.
        list.BitBtnRenovar->click();
        QCOMPARE(f.value(byNumber, {ana}), QStringLiteral("Renovado"));

        // A change to another record does not stand in the way.
        other.exec(QStringLiteral("UPDATE ZELTABOL SET CONTA_BANCO='999' WHERE rowid=?"), {bruno});
        const int told = f.messages.count();
        f.messages.answer(plat::ui::Answer::Yes);
        list.BitBtnExcluir->click();
        QCOMPARE(f.value(byNumber, {ana}), QStringLiteral("Excluído"));
        QCOMPARE(f.messages.count(), told + 1); // the confirmation only
    }

    void copiesWindowSaysARestoreCompletedWhenTheRegisterThenFailsToOpen()
    {
        zelta::test::AdvisorFixture f;
        f.data.addAdvisor(makeCpf(111111111), QStringLiteral("ORIENTADOR UM"));
        // A copy of the older schema whose upgrade cannot run (a table stands
        // where the upgrade builds its own): restored, it then fails to open.
        const QString copy = RegisterCopies::take(f.data.db(), f.data.dir()).path;
        zelta::test::breakUpgrade(copy);
        f.data.addAdvisor(makeCpf(222222222), QStringLiteral("ORIENTADOR DOIS"));
        TFrm_Copias window(f.sessao);
        window.create();
        window.show();
        f.messages.answer(plat::ui::Answer::Yes);
        window.BitBtnRestaurar->click();
        const QStringList told = f.messages.texts();
        QCOMPARE(told.size(), 3); // the confirmation, the restore, the failure to open
        QVERIFY2(told[1].startsWith(QStringLiteral("Dados restaurados da cópia de ")), qPrintable(told[1]));
        QVERIFY2(told[1].contains(QStringLiteral(" Os dados substituídos foram guardados em ")), qPrintable(told[1]));
        QVERIFY2(told[2].startsWith(QStringLiteral("Os dados restaurados não puderam ser abertos: ")), qPrintable(told[2]));
    }

    void whatTheProgramCreatesIsPrivateUnderAnOpenUmask()
    {
        const mode_t previous = ::umask(022);
        const auto back = qScopeGuard([previous] { ::umask(previous); });
        QTemporaryDir root;
        const QString dir = root.filePath(QStringLiteral("novo/dados"));
        TDm_Dados dm(dir);
        dm.database().exec(QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME) VALUES (?, 'ORIENTADOR')"), {makeCpf(1)});
        const QString db = dm.databaseFile();
        QCOMPARE(modeOf(root.filePath(QStringLiteral("novo"))), 0700);
        QCOMPARE(modeOf(dir), 0700);
        for (const QString& file : {db, db + QStringLiteral("-wal"), db + QStringLiteral("-shm")})
            QCOMPARE(modeOf(file), 0600);
        const QString copy = RegisterCopies::take(dm.database(), dir).path;
        QCOMPARE(modeOf(RegisterCopies::folder(dir)), 0700);
        QCOMPARE(modeOf(copy), 0600);
        // In the data folder too: only the register's own files are refused.
        const QString pdf = QDir(dir).filePath(QStringLiteral("zelta99.db.pdf"));
        const zelta::test::CliRun r = zelta::test::runCommand({QStringLiteral("relatorio"), QStringLiteral("orientadores"),
                                                               QStringLiteral("--pdf"), pdf, QStringLiteral("--dados"), dir});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(modeOf(pdf), 0600);

        // What exists keeps its mode: a folder the user opened, and a file
        // replaced by a new version of itself.
        const QString open = root.filePath(QStringLiteral("aberta"));
        QVERIFY(QDir().mkpath(open));
        ::chmod(QFile::encodeName(open).constData(), 0755);
        TDm_Dados(open).database().ensureOpen();
        QCOMPARE(modeOf(open), 0755);
        ::chmod(QFile::encodeName(pdf).constData(), 0644);
        plat::sys::AtomicFile again(pdf);
        QVERIFY(again.open(QIODevice::WriteOnly));
        again.write("%PDF-");
        QVERIFY(again.commit());
        QCOMPARE(modeOf(pdf), 0644);
    }
};

QTEST_MAIN(TestAppWriter)
#include "test_app_writer.moc"
