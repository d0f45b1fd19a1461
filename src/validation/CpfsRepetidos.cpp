#include "validation/CpfsRepetidos.h"

#include "platform/db/Database.h"

#include <QSet>

#include <algorithm>

namespace zelta {

namespace {

constexpr int kPositions[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13};

// The form of a well-written CPF, ddd.ddd.ddd-dd, as a LIKE pattern.
const QString kBemEscrito = QStringLiteral("___.___.___-__");

// The well-written CPF that gives the file's characters chave.
QString bemEscrito(const QString& chave)
{
    return chave.left(3) + u'.' + chave.mid(3, 3) + u'.' + chave.mid(6, 3) + u'-' + chave.mid(9, 2);
}

bool soBrancos(const QString& s) { return s.count(u' ') == s.size(); }

} // namespace

QString cpfNoArquivo(const QString& cpf)
{
    QString out(11, u' ');
    for (int i = 0; i < 11; ++i)
        if (kPositions[i] < cpf.size())
            out[i] = cpf.at(kPositions[i]);
    return out;
}

void CpfsRepetidos::ler(const plat::db::Database& db)
{
    m_porCpf.clear();
    // A CPF written ddd.ddd.ddd-dd gives the file's characters of no other
    // text of that form: such CPFs repeat when their texts do, which the CPF
    // index groups without sorting. The few written otherwise are matched by
    // their characters, among themselves and against the well-written ones.
    QSet<QString> repetidos;
    QSet<QString> avulsos;
    plat::db::Statement grupos = db.prepare(QStringLiteral("SELECT CPF, 1 FROM ZELTABOL GROUP BY CPF HAVING count(*) > 1 "
                                                           "UNION ALL SELECT CPF, 0 FROM ZELTABOL WHERE CPF NOT LIKE '%1'")
                                                .arg(kBemEscrito));
    while (grupos.step()) {
        const QString chave = cpfNoArquivo(grupos.text(0));
        if (soBrancos(chave))
            continue;
        if (grupos.int64(1) != 0 || avulsos.contains(chave))
            repetidos.insert(chave);
        else
            avulsos.insert(chave);
    }
    plat::db::Statement existe = db.prepare(QStringLiteral("SELECT EXISTS (SELECT 1 FROM ZELTABOL WHERE CPF = ?)"));
    for (const QString& chave : std::as_const(avulsos)) {
        existe.reset();
        existe.bindAll({bemEscrito(chave)});
        if (existe.step() && existe.int64(0) != 0)
            repetidos.insert(chave);
    }
    if (repetidos.isEmpty())
        return;
    plat::db::Statement st = db.prepare(QStringLiteral("SELECT rowid, Nome, SITUACAO, CPF FROM ZELTABOL ORDER BY rowid"));
    while (st.step()) {
        const QString chave = cpfNoArquivo(st.text(3));
        if (repetidos.contains(chave))
            m_porCpf[chave].append({st.int64(0), st.text(1), st.text(2)});
    }
}

void CpfsRepetidos::lerOutros(const plat::db::Database& db, const QString& cpf, qint64 rowid)
{
    m_porCpf.clear();
    const QString chave = cpfNoArquivo(cpf);
    if (soBrancos(chave))
        return;
    QList<Bolsista> outros;
    // The well-written CPF with these characters, through the CPF index.
    plat::db::Statement exato = db.prepare(
        QStringLiteral("SELECT rowid, Nome, SITUACAO FROM ZELTABOL WHERE CPF = ?1 AND rowid <> ?2"));
    exato.bindAll({bemEscrito(chave), rowid});
    while (exato.step())
        outros.append({exato.int64(0), exato.text(1), exato.text(2)});
    // Those written otherwise begin with the same three characters, unless
    // the third is a blank that may stand for a missing position; only their
    // index entries are read until one gives these characters.
    const QString inicio = chave.left(3);
    const bool porInicio = inicio.at(2) != u' ';
    plat::db::Statement avulsos = db.prepare(
        QStringLiteral("SELECT rowid, CPF FROM ZELTABOL WHERE CPF NOT LIKE '%1' AND rowid <> ?1%2")
            .arg(kBemEscrito, porInicio ? QStringLiteral(" AND CPF >= ?2 AND CPF < ?2 || char(1114111)") : QString()));
    avulsos.bindAll(porInicio ? QVariantList{rowid, inicio} : QVariantList{rowid});
    plat::db::Statement dados = db.prepare(QStringLiteral("SELECT Nome, SITUACAO FROM ZELTABOL WHERE rowid = ?"));
    while (avulsos.step()) {
        if (cpfNoArquivo(avulsos.text(1)) != chave)
            continue;
        dados.reset();
        dados.bindAll({avulsos.int64(0)});
        if (dados.step())
            outros.append({avulsos.int64(0), dados.text(0), dados.text(1)});
    }
    if (outros.isEmpty())
        return;
    std::sort(outros.begin(), outros.end(), [](const Bolsista& a, const Bolsista& b) { return a.rowid < b.rowid; });
    outros.append({rowid, QString(), QString()});
    m_porCpf.insert(chave, outros);
}

bool CpfsRepetidos::contem(const QString& cpf) const { return m_porCpf.contains(cpfNoArquivo(cpf)); }

QStringList CpfsRepetidos::outros(const QString& cpf, qint64 rowid) const
{
    QStringList nomes;
    for (const Bolsista& b : m_porCpf.value(cpfNoArquivo(cpf)))
        if (b.rowid != rowid)
            nomes << (b.situacao.isEmpty() ? b.nome : QStringLiteral("%1 (%2)").arg(b.nome, b.situacao));
    return nomes;
}

} // namespace zelta
