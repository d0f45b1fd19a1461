// Recovery of a previous-year file of 100,000 holders over 40,000 distinct
// advisors (pairs of CPF and project title), next to a baseline in which the
// sqlite3 shell loads the same rows into the same tables with .import.
#include "RecoverySample.h"
#include "exchange/RecoveryFile.h"
#include "exchange/RecoveryImport.h"
#include "platform/db/Database.h"
#include "support/Register.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <limits>

#include <sys/resource.h>

using namespace zelta;
using namespace zelta::bench;

namespace {

const int kHolders = scaled(100000);
const int kPairs = scaled(40000);
const int kPeople = scaled(30000); // some advisors have more than one project

QByteArray bigFile()
{
    sample::OldHeader h;
    h.nome = QStringLiteral("UNIVERSIDADE FEDERAL DE EXEMPLO");
    h.numero = QStringLiteral("123456/78-9");
    h.sigla = QStringLiteral("UFX");
    h.cota1 = QStringLiteral("999");
    QByteArray out = sample::headerBytes(h);
    out.reserve(out.size() + qsizetype(kHolders) * RecoveryFile::kRecordSize + 1);
    for (int i = 0; i < kHolders; ++i) {
        // 7919 is prime to 40,000: every pair gets holders, in scattered order.
        const int pair = int((qint64(i) * 7919) % kPairs);
        sample::OldRecord r;
        r.cpf = sample::cpfDigits(200000000 + i);
        r.nome = Register::name(unsigned(i) * 2654435761u);
        r.sexo = (i % 2) ? QStringLiteral("F") : QStringLiteral("M");
        r.nascimento = QStringLiteral("%1/%2/%3")
                           .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                           .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                           .arg(70 + i % 30);
        r.processo = QStringLiteral("%1").arg(98000000000LL + i);
        r.seguro = QStringLiteral("S");
        r.agencia = QStringLiteral("1234-5");
        r.conta = QStringLiteral("%1-%2").arg(10000 + i % 90000).arg(i % 10);
        r.cpfOrientador = sample::cpfDigits(100000000 + pair % kPeople);
        r.nomeOrientador = Register::name(unsigned(pair % kPeople) * 40503u + 7u);
        r.titulacao = (pair % 3) ? QStringLiteral("4") : QStringLiteral("3");
        r.titulo = QStringLiteral("ESTUDO NUMERO %1 SOBRE MANEJO E CONSERVAÇÃO DO SOLO EM ÁREAS DE PASTAGEM").arg(pair);
        r.chave1 = QStringLiteral("SOLO");
        r.chave2 = QStringLiteral("ÁGUA");
        r.codArea = QStringLiteral("10101003");
        out += sample::recordBytes(r);
    }
    out += '\x1a';
    return out;
}

// Processor time (user and system) used so far by this process, or by its
// finished children: a figure that other work on a shared machine disturbs
// much less than the wall clock.
double cpuMs(int who)
{
    rusage u{};
    getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

// The best wall and processor times of a step over the runs.
struct StepTimes {
    double wall = std::numeric_limits<double>::max();
    double cpu = std::numeric_limits<double>::max();
    void add(double w, double c)
    {
        wall = std::min(wall, w);
        cpu = std::min(cpu, c);
    }
    void report(const QString& name) const
    {
        zelta::bench::report(name + QStringLiteral(" (processor %1 ms)").arg(cpu, 0, 'f', 1), wall, QStringLiteral("ms"));
    }
};

QString csvField(const QVariant& v)
{
    if (v.isNull())
        return QString();
    QString s = v.toString();
    s.replace(u'"', QStringLiteral("\"\""));
    return u'"' + s + u'"';
}

// Writes the rows of a table as CSV, in the column order given.
void exportCsv(const plat::db::Database& db, const QString& select, const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QTextStream out(&f);
    plat::db::Statement st = db.prepare(select);
    while (st.step()) {
        for (int c = 0; c < st.columnCount(); ++c) {
            if (c)
                out << ',';
            out << csvField(st.value(c));
        }
        out << '\n';
    }
}

const QString kHolderColumns = QStringLiteral(
    "Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, CODIGO_AGENCIA, CONTA_BANCO, "
    "CPF_ORIENTADOR, CPF_EXORIENTADOR, NUMERO_ORIENTADOR, ALTERA");
const QString kAdvisorColumns = QStringLiteral(
    "Codigo, CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, PESQUISADOR, CATEGORIA, ALTERA");

// A fresh copy of a provisioned, empty database in its own directory.
QString freshData(const QString& root, const QString& name, const QString& templateDb)
{
    const QString dir = QDir(root).filePath(name);
    QDir().mkpath(dir);
    QFile::remove(QDir(dir).filePath(QStringLiteral("zelta99.db")));
    if (!QFile::copy(templateDb, QDir(dir).filePath(QStringLiteral("zelta99.db"))))
        qFatal("cannot copy the template database");
    return dir;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;

    const QString file = tmp.filePath(QStringLiteral("GRANDE.TEX"));
    {
        const QByteArray bytes = bigFile();
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the file");
    }
    const QString templateDir = tmp.filePath(QStringLiteral("modelo"));
    {
        TDm_Dados dm(templateDir);
        dm.database().ensureOpen();
    }
    const QString templateDb = QDir(templateDir).filePath(QStringLiteral("zelta99.db"));

    // Reading and decoding alone.
    double parseBest = std::numeric_limits<double>::max();
    for (int run = 0; run < kRuns; ++run)
        parseBest = std::min(parseBest, timeMs([&] {
                                 const RecoveryFile f = RecoveryFile::load(file);
                                 const QDate today = QDate::currentDate();
                                 int n = 0;
                                 for (int i = 0; i < f.recordCount(); ++i)
                                     n += f.record(i, today).nome.size();
                                 if (n == 0)
                                     qFatal("no records read");
                             }));
    report(QStringLiteral("read and decode 100,000 records"), parseBest, QStringLiteral("ms"));

    // The import into an empty register.
    // Its steps are told apart by the gauge: up to 65 the check, the copy and
    // the emptying of the tables; from 65 the reading of the file, the rows,
    // the indexes and the commit.
    double importBest = std::numeric_limits<double>::max();
    double importCpu = std::numeric_limits<double>::max();
    StepTimes prepare, rows;
    RecoveryResult result;
    QString lastDir;
    for (int run = 0; run < kRuns; ++run) {
        lastDir = freshData(tmp.path(), QStringLiteral("zelta%1").arg(run), templateDb);
        TDm_Dados dm(lastDir);
        dm.database().ensureOpen();
        QElapsedTimer clock;
        double wall65 = 0, cpu65 = 0;
        RecoveryOptions options;
        options.progress = [&](int step) {
            if (step == 65) {
                wall65 = clock.nsecsElapsed() / 1e6;
                cpu65 = cpuMs(RUSAGE_SELF);
            }
        };
        const double cpu0 = cpuMs(RUSAGE_SELF);
        clock.start();
        result = recuperarDados(dm, file, options);
        const double wall = clock.nsecsElapsed() / 1e6, cpu = cpuMs(RUSAGE_SELF);
        importBest = std::min(importBest, wall);
        importCpu = std::min(importCpu, cpu - cpu0);
        prepare.add(wall65, cpu65 - cpu0);
        rows.add(wall - wall65, cpu - cpu65);
    }
    if (result.holders != kHolders || result.advisors != kPairs)
        qFatal("unexpected import: %d holders, %d advisors", result.holders, result.advisors);
    report(QStringLiteral("recovery of 100,000 holders, 40,000 advisors (empty register)"), importBest, QStringLiteral("ms"),
           QStringLiteral("< 2000 ms"));
    report(QStringLiteral("  processor time of that recovery"), importCpu, QStringLiteral("ms"));
    prepare.report(QStringLiteral("  check, copy and emptying of the tables"));
    rows.report(QStringLiteral("  file read, rows stored, indexes built, commit"));
    {
        // The indexes of the two tables built alone, over the rows just stored.
        TDm_Dados dm(lastDir);
        plat::db::Database& db = dm.database();
        StepTimes indexes;
        for (int run = 0; run < kRuns; ++run) {
            plat::db::Database::Transaction tx(db);
            QStringList sql = db.dropIndexes(QStringLiteral("ZELTABOL"));
            sql += db.dropIndexes(QStringLiteral("ZELTAORI"));
            const double cpu0 = cpuMs(RUSAGE_SELF);
            const double ms = timeMs([&] {
                for (const QString& s : std::as_const(sql))
                    db.exec(s);
            });
            indexes.add(ms, cpuMs(RUSAGE_SELF) - cpu0);
        }
        indexes.report(QStringLiteral("  of which the indexes of both tables"));
    }

    // The same file over a full register: the copy of the database comes first.
    double replaceBest = std::numeric_limits<double>::max();
    {
        TDm_Dados dm(lastDir);
        for (int run = 0; run < kRuns; ++run)
            replaceBest = std::min(replaceBest, timeMs([&] { result = recuperarDados(dm, file); }));
    }
    report(QStringLiteral("recovery over a full register, backup copy included"), replaceBest, QStringLiteral("ms"));

    // Baseline: the sqlite3 shell loads the rows the import stored into the
    // same tables, with the same indexes, in one transaction.
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite3.isEmpty()) {
        QTextStream(stdout) << "sqlite3 shell not found: baseline skipped\n";
        return 0;
    }
    const QString holdersCsv = tmp.filePath(QStringLiteral("bolsistas.csv"));
    const QString advisorsCsv = tmp.filePath(QStringLiteral("orientadores.csv"));
    {
        TDm_Dados dm(lastDir);
        exportCsv(dm.database(), QStringLiteral("SELECT %1 FROM ZELTAORI ORDER BY Codigo").arg(kAdvisorColumns), advisorsCsv);
        exportCsv(dm.database(), QStringLiteral("SELECT %1 FROM ZELTABOL ORDER BY rowid").arg(kHolderColumns), holdersCsv);
    }
    // The tables carry generated sort columns, which .import cannot fill, so
    // the rows go through staging tables of the same columns.
    const QString script
        = QStringLiteral(
              "PRAGMA synchronous=NORMAL;\n"
              "CREATE TEMP TABLE ori(%1);\n"
              "CREATE TEMP TABLE bol(%2);\n"
              ".import --csv %3 ori\n"
              ".import --csv %4 bol\n"
              "BEGIN;\n"
              "INSERT INTO ZELTAORI(%1) SELECT * FROM ori;\n"
              "INSERT INTO ZELTABOL(%2) SELECT Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, "
              "CODIGO_AGENCIA, CONTA_BANCO, CPF_ORIENTADOR, CPF_EXORIENTADOR, CAST(NUMERO_ORIENTADOR AS INTEGER), ALTERA FROM "
              "bol;\n"
              "COMMIT;\n"
              "SELECT count(*) FROM ZELTABOL;\n")
              .arg(kAdvisorColumns, kHolderColumns, advisorsCsv, holdersCsv);
    double baselineBest = std::numeric_limits<double>::max();
    double baselineCpu = std::numeric_limits<double>::max();
    for (int run = 0; run < kRuns; ++run) {
        const QString dir = freshData(tmp.path(), QStringLiteral("shell%1").arg(run), templateDb);
        QProcess shell;
        QByteArray output;
        const double cpu0 = cpuMs(RUSAGE_CHILDREN);
        const double ms = timeMs([&] {
            shell.start(sqlite3, {QDir(dir).filePath(QStringLiteral("zelta99.db"))});
            shell.write(script.toUtf8());
            shell.closeWriteChannel();
            shell.waitForFinished(-1);
            output = shell.readAllStandardOutput();
        });
        if (shell.exitCode() != 0 || output.trimmed() != QByteArray::number(kHolders))
            qFatal("sqlite3 failed: %s %s", output.constData(), shell.readAllStandardError().constData());
        baselineBest = std::min(baselineBest, ms);
        baselineCpu = std::min(baselineCpu, cpuMs(RUSAGE_CHILDREN) - cpu0);
    }
    report(QStringLiteral("baseline: sqlite3 shell .import of the same rows"), baselineBest, QStringLiteral("ms"));
    report(QStringLiteral("  processor time of the sqlite3 shell"), baselineCpu, QStringLiteral("ms"));
    report(QStringLiteral("recovery / baseline, wall clock"), importBest / baselineBest, QStringLiteral("x"),
           QStringLiteral("< 3"));
    report(QStringLiteral("recovery / baseline, processor time"), importCpu / baselineCpu, QStringLiteral("x"),
           QStringLiteral("< 3"));
    return 0;
}
