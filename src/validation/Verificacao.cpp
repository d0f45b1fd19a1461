#include "validation/Verificacao.h"

#include "data/TDm_Dados.h"
#include "platform/db/Table.h"
#include "platform/system/Error.h"
#include "validation/TVlCpfCgc.h"

#include <algorithm>

namespace zelta {

using plat::db::Database;
using plat::db::Table;

QString linhaFinal(int errors)
{
    if (errors == 0)
        return QStringLiteral("Verificação Terminada. Nenhum erro encontrado.");
    return QStringLiteral("Verificação Terminada. %1 erro(s) encontrado(s).").arg(errors);
}

QStringList quebraLinha(const QString& line, int width)
{
    if (line.size() <= width)
        return {line};
    QStringList out;
    QString rest = line;
    while (rest.size() > width) {
        // The last blank that leaves at most width characters before it.
        const qsizetype cut = rest.lastIndexOf(u' ', width);
        QString piece = cut > 0 ? rest.left(cut) : QString();
        while (piece.endsWith(u' '))
            piece.chop(1);
        if (piece.isEmpty()) {
            // No blank to break at: the word is split.
            out << rest.left(width);
            rest = rest.mid(width);
            continue;
        }
        out << piece;
        qsizetype start = cut;
        while (start < rest.size() && rest.at(start) == u' ')
            ++start;
        rest = rest.mid(start);
    }
    if (!rest.isEmpty())
        out << rest;
    return out;
}

QStringList linhasArmazenadas(const QStringList& log, int width)
{
    QStringList out;
    out.reserve(log.size());
    for (const QString& line : log)
        out << quebraLinha(line, width);
    return out;
}

// ------------------------------------------------------------------ run

Verificacao::Verificacao(TDm_Dados& dados, TVlCpfCgc& validator) : m_dados(dados), m_validator(validator) {}

void Verificacao::write(const QString& line)
{
    m_log << line;
    if (m_logSink)
        m_logSink(line);
}

void Verificacao::progress()
{
    ++m_done;
    if (m_progressSink && (m_done >= m_nextReport || m_done == m_total)) {
        m_progressSink(m_done, m_total);
        m_nextReport = m_done + std::max(1, m_total / 100);
    }
}

void Verificacao::prepareErrorTable()
{
    Table& erros = *m_dados.Tb_Erro_Bol_Ori;
    erros.close();
    m_dados.database().emptyTable(erros.tableName());
    erros.open();
}

void Verificacao::start()
{
    m_errors = 0;
    m_log.clear();
    m_pendencias = ListaPendencias();
    m_done = 0;
    m_total = 0;
    m_nextReport = 0;
    write(QStringLiteral("Verificando Arquivo de Bolsistas."));
    write(QStringLiteral(" "));
}

void Verificacao::take(const RegistroExaminado& r)
{
    if (!r.exame.limpo())
        m_pendencias.registros.append(r.pendente());
    const QString code = r.orientador ? codigoErroOrientador(r.exame) : codigoErroBolsista(r.exame);
    if (code.isEmpty())
        return;
    write((r.orientador ? QStringLiteral("..Orientador ") : QStringLiteral("..Bolsista ")) + r.nome());
    for (const QString& line : r.orientador ? linhasErroOrientador(code) : linhasErroBolsista(code)) {
        write(line);
        ++m_errors;
    }
}

void Verificacao::checkHolders()
{
    Table& bol = *m_dados.Tb_Bolsistas;
    bol.open();
    const Database& db = m_dados.database();
    m_total = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL")).toInt()
              + db.scalar(QStringLiteral("SELECT count(*) FROM ZELTAORI")).toInt();
    if (m_progressSink)
        m_progressSink(0, m_total);

    // Every holder is read, whatever key range the shared cursor may carry, in
    // the cursor's ordering; the walk does not move the cursor.
    m_walk = std::make_unique<Completude>(db, Regras::verificacao(m_validator));
    m_walk->setProgress([this] { progress(); });
    m_walk->bolsistas(bol.ordering(), [this](const RegistroExaminado& r) {
        take(r);
        return true;
    });

    write(QStringLiteral(" "));
    write(QStringLiteral("Arquivo de Bolsistas Verificado."));
    write(QStringLiteral(" "));
    write(QStringLiteral("Verificando Arquivo de Orientadores."));
}

void Verificacao::checkAdvisors()
{
    Table& ori = *m_dados.Tb_Orientador;
    ori.open();
    m_walk->orientadores(ori.ordering(), [this](const RegistroExaminado& r) {
        take(r);
        return true;
    });

    write(QStringLiteral("  "));
    write(QStringLiteral("Arquivo de Orientadores Verificado."));
    write(QStringLiteral("  "));
}

int Verificacao::finish()
{
    write(linhaFinal(m_errors));
    if (m_errors == 0)
        return 0;

    // The log goes in one transaction: the table holds the whole log or, after
    // a failure, nothing of this run.
    Table& erros = *m_dados.Tb_Erro_Bol_Ori;
    erros.open();
    const QStringList lines = linhasArmazenadas(m_log);
    {
        Database& db = m_dados.database();
        Database::Transaction tx(db);
        plat::db::Statement insert = db.prepare(
            QStringLiteral("INSERT INTO \"%1\" (Numero_Linha, Linha) VALUES (?, ?)").arg(erros.definition().name));
        qint64 n = 0;
        for (const QString& line : lines) {
            insert.reset();
            insert.bindAll({++n, line});
            insert.exec();
        }
        tx.commit();
    }
    erros.refresh();
    erros.last();
    return m_errors;
}

void Verificacao::closeTables()
{
    Table& bol = *m_dados.Tb_Bolsistas;
    bol.close();
    bol.setIndexName(QString());
    m_dados.Tb_Orientador->close();
}

int Verificacao::run()
{
    prepareErrorTable();
    start();
    checkHolders();
    checkAdvisors();
    const int errors = finish();
    closeTables();
    return errors;
}

} // namespace zelta
