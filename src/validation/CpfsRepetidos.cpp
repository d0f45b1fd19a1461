#include "validation/CpfsRepetidos.h"

#include "platform/db/Database.h"

#include <QSet>

#include <algorithm>

namespace zelta {

namespace {

constexpr int kPositions[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13};

// cpfNoArquivo in SQL, on the column CPF: the text padded with blanks, so
// that a position it lacks reads as one.
const QString kChave = QStringLiteral("substr(CPF||'              ',1,3)||substr(CPF||'              ',5,3)||"
                                      "substr(CPF||'              ',9,3)||substr(CPF||'              ',13,2)");

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
    plat::db::Statement grupos = db.prepare(
        QStringLiteral("SELECT CPF, 1 FROM ZELTABOL GROUP BY CPF HAVING count(*) > 1 "
                       "UNION ALL SELECT CPF, 0 FROM ZELTABOL WHERE CPF NOT LIKE '___.___.___-__'"));
    while (grupos.step()) {
        const QString chave = cpfNoArquivo(grupos.text(0));
        if (soBrancos(chave))
            continue;
        if (grupos.int64(1) != 0 || avulsos.contains(chave))
            repetidos.insert(chave);
        else
            avulsos.insert(chave);
    }
    plat::db::Statement bemEscrito = db.prepare(QStringLiteral("SELECT EXISTS (SELECT 1 FROM ZELTABOL WHERE CPF = ?)"));
    for (const QString& chave : std::as_const(avulsos)) {
        bemEscrito.reset();
        bemEscrito.bindAll({chave.left(3) + u'.' + chave.mid(3, 3) + u'.' + chave.mid(6, 3) + u'-' + chave.mid(9, 2)});
        if (bemEscrito.step() && bemEscrito.int64(0) != 0)
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
    // A CPF that gives these characters begins with their first three, unless
    // the third is a blank that may stand for a missing position: the search
    // then goes through the CPF index from that beginning on.
    const QString inicio = chave.left(3);
    const bool porInicio = inicio.at(2) != u' ';
    plat::db::Statement st = db.prepare(
        QStringLiteral("SELECT rowid, Nome, SITUACAO FROM ZELTABOL WHERE %1 = ?1 AND rowid <> ?2%2")
            .arg(kChave, porInicio ? QStringLiteral(" AND CPF >= ?3 AND CPF < ?3 || char(1114111)") : QString()));
    st.bindAll(porInicio ? QVariantList{chave, rowid, inicio} : QVariantList{chave, rowid});
    QList<Bolsista> outros;
    while (st.step())
        outros.append({st.int64(0), st.text(1), st.text(2)});
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
