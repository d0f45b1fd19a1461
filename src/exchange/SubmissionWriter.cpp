#include "exchange/SubmissionWriter.h"

#include "exchange/ColumnText.h"
#include "exchange/ReadSnapshot.h"
#include "exchange/SubmissionFormat.h"
#include "platform/db/Database.h"
#include "platform/system/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace zelta {

namespace {

QString quotedColumn(const QString& alias, const QString& column)
{
    return alias + QStringLiteral(".\"") + column + u'"';
}

// The ORDER BY of a table's primary order, column for column as its cursors
// walk it: a name field by its folded key and then its text, a number through
// its sort column, a text as it is, and the record number last.
QString primaryOrder(const plat::db::TableDef& table, const QString& alias)
{
    QStringList columns;
    if (!table.indexes.isEmpty()) {
        for (const QString& name : table.indexes.first().fields) {
            const plat::db::FieldDef* f = table.field(name);
            if (!f)
                continue;
            if (f->folded)
                columns << quotedColumn(alias, plat::db::sortColumn(*f)) << quotedColumn(alias, f->name);
            else if (plat::db::needsSortColumn(*f, table))
                columns << quotedColumn(alias, plat::db::sortColumn(*f));
            else
                columns << quotedColumn(alias, f->name);
        }
    }
    columns << alias + QStringLiteral(".rowid");
    return columns.join(QStringLiteral(", "));
}

void writeOrFail(QIODevice& out, const QByteArray& bytes)
{
    if (out.write(bytes) != bytes.size()) {
        const QString why = out.errorString();
        throw SubmissionError(why.isEmpty() ? QStringLiteral("Erro ao gravar o arquivo") : why);
    }
}

} // namespace

QString institutionNumber(plat::db::Database& db)
{
    plat::db::Statement st = db.prepare(QStringLiteral("SELECT Numero_Instituicao FROM ZELTAINT ORDER BY rowid LIMIT 1"));
    return st.step() ? st.text(0) : QString();
}

int writeSubmission(plat::db::Database& db, const QString& numeroInstituicao, QIODevice& out,
                    const SubmissionProgress& progress)
{
    // The count and the rows come from one state of the table, so the gauge
    // ends exactly at the last holder.
    ReadSnapshot snapshot(db);
    const qint64 total = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL")).toLongLong();

    writeOrFail(out, headerLine(numeroInstituicao));

    // The advisor is found by its number alone; a holder whose number names no
    // advisor gets none (blanks), never the advisor of another holder.
    plat::db::Statement st = db.prepare(
        QStringLiteral("SELECT B.CPF, B.Nome, B.SEXO, B.DATA_NASCIMENTO, B.PROCESSO, B.DEMANDA, B.SITUACAO, B.SEGURO_SAUDE, "
                       "B.CODIGO_AGENCIA, B.CPF_ORIENTADOR, O.Codigo, O.NOME, O.TITULACAO, O.TITULO, O.P_CHAVE1, "
                       "O.P_CHAVE2, O.P_CHAVE3, O.COD_AREA, O.PESQUISADOR, O.CATEGORIA "
                       "FROM ZELTABOL B LEFT JOIN ZELTAORI O ON O.Codigo = B.NUMERO_ORIENTADOR ORDER BY ")
        + primaryOrder(db.table(QStringLiteral("ZELTABOL")), QStringLiteral("B")));

    SubmissionHolder holder;
    SubmissionAdvisor advisor;
    qint64 written = 0;
    int shown = 0;
    while (st.step()) {
        readText(st, 0, holder.cpf);
        readText(st, 1, holder.nome);
        readText(st, 2, holder.sexo);
        holder.nascimento = readDate(st, 3);
        readText(st, 4, holder.processo);
        readText(st, 5, holder.demanda);
        readText(st, 6, holder.situacao);
        readText(st, 7, holder.seguroSaude);
        readText(st, 8, holder.codigoAgencia);
        readText(st, 9, holder.cpfOrientador);
        const bool found = !st.isNull(10);
        if (found) {
            readText(st, 11, advisor.nome);
            readText(st, 12, advisor.titulacao);
            readText(st, 13, advisor.titulo);
            readText(st, 14, advisor.chave1);
            readText(st, 15, advisor.chave2);
            readText(st, 16, advisor.chave3);
            readText(st, 17, advisor.codArea);
            readText(st, 18, advisor.pesquisador);
            readText(st, 19, advisor.categoria);
        }
        writeOrFail(out, holderRecord(holder, found ? &advisor : nullptr));
        ++written;
        // Whole percent of the holders written; the gauge is told only when
        // that number changes.
        const int percent = total > 0 ? int(qMin<qint64>(100, written * 100 / total)) : 100;
        if (percent != shown) {
            shown = percent;
            if (progress)
                progress(percent);
        }
    }
    if (shown != 100 && progress)
        progress(100);
    return int(written);
}

SubmissionResult generateSubmissionFile(plat::db::Database& db, const QString& directory,
                                        const SubmissionProgress& progress)
{
    const QString numero = institutionNumber(db);
    QString why;
    const QString name = submissionFileName(numero, &why);
    if (name.isEmpty())
        throw SubmissionError(why);
    if (directory.isEmpty())
        throw SubmissionError(QStringLiteral("Nenhuma pasta foi indicada para gravar o arquivo. Nada foi gravado"));
    if (!QFileInfo(directory).isDir())
        throw SubmissionError(QStringLiteral("A pasta %1 não existe ou não está disponível. Nada foi gravado")
                                  .arg(QDir::toNativeSeparators(directory)));

    SubmissionResult result;
    result.filePath = QDir(directory).filePath(name);
    // A failure at any step discards the temporary file; the message says
    // that nothing else changed on the disk.
    const QString notWritten = QStringLiteral(". O arquivo não foi gravado; um arquivo anterior de mesmo nome continua "
                                              "como estava");
    plat::sys::AtomicFile file(result.filePath);
    if (!file.open(QIODevice::WriteOnly))
        throw SubmissionError(file.errorString() + notWritten);
    try {
        result.holders = writeSubmission(db, numero, file, progress);
    } catch (const SubmissionError& e) {
        throw SubmissionError(e.message() + notWritten);
    }
    result.bytes = kHeaderSize + qint64(result.holders) * kRecordSize;
    if (!file.commit())
        throw SubmissionError(file.errorString()
                              + (file.replacedTarget() ? QStringLiteral(". O arquivo já está com o nome final, mas pode "
                                                                        "não estar no disco: grave-o de novo")
                                                       : notWritten));
    return result;
}

} // namespace zelta
