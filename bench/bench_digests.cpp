// The full check with row digests on a large register: SQLite's check of the
// file, the rows compared with their digests, the whole full check as the
// program runs it, and the sqlite3 shell's integrity check plus a scan of the
// same rows for comparison; then an edit and post with the digest triggers.
#include "data/RowDigests.h"
#include "support/Register.h"

#include "platform/db/Database.h"
#include "platform/db/Table.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

using namespace zelta::bench;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Register reg(RegisterShape{});
    const QString file = QDir(reg.dir()).filePath(QStringLiteral("zelta99.db"));
    plat::db::Database& db = reg.dm().database();
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));

    report(QStringLiteral("integrity check of the file (100,000 holders, 50,000 advisors), best of 3"),
           bestOf([&] { plat::db::Database::checkFile(file, false); }), QStringLiteral("ms"));
    report(QStringLiteral("every row compared with its digest, and the areas with the list, best of 3"), bestOf([&] {
               if (!zelta::findOutsideChanges(db).isEmpty())
                   qFatal("rows disagree with their digests");
           }),
           QStringLiteral("ms"));
    report(QStringLiteral("full check as the program runs it (integrity check and digests), best of 3"),
           bestOf([&] { reg.dm().checkRegister(); }), QStringLiteral("ms"), QStringLiteral("< 1000 ms"));
    const double shell = bestOf([&] {
        QProcess p;
        p.start(QStringLiteral("sqlite3"),
                {file, QStringLiteral("PRAGMA integrity_check; SELECT count(*), sum(length(Nome) + length(CPF) + "
                                      "length(CONTA_BANCO)) FROM ZELTABOL; SELECT count(*), sum(length(NOME) + "
                                      "length(TITULO)) FROM ZELTAORI;")});
        p.waitForFinished(-1);
    });
    report(QStringLiteral("baseline: sqlite3 shell integrity_check plus a scan of the same rows, best of 3"), shell,
           QStringLiteral("ms"));

    plat::db::Table& t = *reg.dm().Tb_Bolsistas;
    t.open();
    t.first();
    const double post = timeMs([&] {
                            for (int i = 0; i < 200; ++i) {
                                t.edit();
                                t.setValue(QStringLiteral("CONTA_BANCO"), QString::number(1000 + i));
                                t.post();
                            }
                        })
                        / 200;
    report(QStringLiteral("edit and post with the digest triggers (mean of 200)"), post, QStringLiteral("ms"),
           QStringLiteral("< 5 ms"));
    return 0;
}
