#include "exchange/SubmissionWriter.h"

#include "exchange/SubmissionFormat.h"
#include "platform/db/Database.h"
#include "platform/db/Scan.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace zelta {

namespace {

void writeOrFail(QIODevice& out, const QByteArray& bytes)
{
    if (out.write(bytes) != bytes.size()) {
        const QString why = out.errorString();
        throw plat::Error::output(why.isEmpty() ? QStringLiteral("Erro ao gravar o arquivo") : why);
    }
}

} // namespace

QString institutionNumber(plat::db::Database& db)
{
    plat::db::Statement st = db.prepare(QStringLiteral("SELECT Numero_Instituicao FROM ZELTAINT ORDER BY rowid LIMIT 1"));
    return st.step() ? st.text(0) : QString();
}

int writeSubmission(plat::db::Database& db, const QString& numeroInstituicao, QIODevice& out, const SubmissionProgress& progress)
{
    // The count and the rows come from one state of the table, so the gauge
    // ends exactly at the last holder.
    plat::db::Database::ReadTransaction snapshot(db);
    // Counted through the table itself, not through an index: a damaged index
    // that lost entries cannot lower the count the file is checked against.
    const qint64 total = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL NOT INDEXED")).toLongLong();

    writeOrFail(out, headerLine(numeroInstituicao));

    // The advisor is found by its number alone; a holder whose number names no
    // advisor gets none (blanks), never the advisor of another holder.
    plat::db::Scan scan(db, QStringLiteral("ZELTABOL B LEFT JOIN ZELTAORI O ON O.Codigo = B.NUMERO_ORIENTADOR"),
                        QStringLiteral("B"), plat::db::Ordering::primary(db.table(QStringLiteral("ZELTABOL"))),
                        {QStringLiteral("B.CPF, B.Nome, B.SEXO, B.DATA_NASCIMENTO, B.PROCESSO, B.DEMANDA, B.SITUACAO, "
                                        "B.SEGURO_SAUDE, B.CODIGO_AGENCIA, B.CPF_ORIENTADOR, O.Codigo, O.NOME, O.TITULACAO, "
                                        "O.TITULO, O.P_CHAVE1, O.P_CHAVE2, O.P_CHAVE3, O.COD_AREA, O.PESQUISADOR, "
                                        "O.CATEGORIA")});
    const plat::db::Statement& st = scan.row();

    SubmissionHolder holder;
    SubmissionAdvisor advisor;
    qint64 written = 0;
    int shown = 0;
    while (scan.next()) {
        st.readText(0, holder.cpf);
        st.readText(1, holder.nome);
        st.readText(2, holder.sexo);
        holder.nascimento = st.isoDate(3);
        st.readText(4, holder.processo);
        st.readText(5, holder.demanda);
        st.readText(6, holder.situacao);
        st.readText(7, holder.seguroSaude);
        st.readText(8, holder.codigoAgencia);
        st.readText(9, holder.cpfOrientador);
        const bool found = !st.isNull(10);
        if (found) {
            st.readText(11, advisor.nome);
            st.readText(12, advisor.titulacao);
            st.readText(13, advisor.titulo);
            st.readText(14, advisor.chave1);
            st.readText(15, advisor.chave2);
            st.readText(16, advisor.chave3);
            st.readText(17, advisor.codArea);
            st.readText(18, advisor.pesquisador);
            st.readText(19, advisor.categoria);
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
    if (written != total)
        throw plat::Error::output(QStringLiteral("O arquivo teria %1 bolsista(s), mas a tabela ZELTABOL tem %2: o arquivo de "
                                                 "dados pode estar danificado")
                                      .arg(written)
                                      .arg(total));
    if (shown != 100 && progress)
        progress(100);
    return int(written);
}

SubmissionResult generateSubmissionFile(plat::db::Database& db, const QString& directory, const SubmissionProgress& progress,
                                        const std::function<void()>& beforeCommit)
{
    const QString numero = institutionNumber(db);
    const QString name = submissionFileName(numero);
    if (directory.isEmpty())
        throw plat::Error::output(QStringLiteral("Nenhuma pasta foi indicada para gravar o arquivo. Nada foi gravado"));
    if (!plat::sys::isDirectory(directory))
        throw plat::Error::output(QStringLiteral("A pasta %1 não existe ou não está disponível. Nada foi gravado")
                                      .arg(QDir::toNativeSeparators(directory)));

    SubmissionResult result;
    result.filePath = QDir(directory).filePath(name);
    // A failure at any step discards the temporary file; the message says
    // that nothing else changed on the disk.
    const QString notWritten = QStringLiteral(". O arquivo não foi gravado; um arquivo anterior de mesmo nome continua "
                                              "como estava");
    plat::sys::AtomicFile file(result.filePath);
    if (!file.open(QIODevice::WriteOnly))
        throw plat::Error::output(file.errorString() + notWritten);
    try {
        result.holders = writeSubmission(db, numero, file, progress);
    } catch (const plat::Error& e) {
        if (e.kind() != plat::Error::Kind::Output)
            throw;
        throw plat::Error::output(e.message() + notWritten);
    }
    result.bytes = kHeaderSize + qint64(result.holders) * kRecordSize;
    if (beforeCommit)
        beforeCommit();
    if (!file.commit())
        throw plat::Error::output(file.errorString()
                                  + (file.replacedTarget() ? QStringLiteral(". O arquivo já está com o nome final, mas pode "
                                                                            "não estar no disco: grave-o de novo")
                                                           : notWritten));
    return result;
}

} // namespace zelta
