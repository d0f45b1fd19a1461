#include "exchange/sheets/ImportRegister.h"

#include "advisors/AdvisorRules.h"
#include "platform/db/Database.h"
#include "validation/Completude.h"

namespace zelta::sheets {

ImportRegister::ImportRegister(const plat::db::Database& db, ImportKind kind) : m_db(db)
{
    plat::db::Statement st = db.prepare(QStringLiteral("SELECT CPF, Codigo, TITULO FROM ZELTAORI ORDER BY Codigo"));
    while (st.step()) {
        const AdvisorRecord a{st.int64(1), st.text(0), st.text(2)};
        advisorsByCpf[a.cpf].append(a);
        advisorByCodigo.insert(a.codigo, a);
    }
    if (kind == ImportKind::Holders) {
        novoRenovado = db.scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE SITUACAO IN ('Novo','Renovado')")).toInt();
        cotas = db.scalar(QStringLiteral("SELECT Cotas FROM ZELTAINT ORDER BY rowid LIMIT 1")).toDouble();
    } else {
        // A number the table never gave is one no holder or copy ever named.
        lastCodigo = db.scalar(QStringLiteral(
                                   "SELECT max(coalesce((SELECT max(Codigo) FROM ZELTAORI), 0), "
                                   "coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'ZELTAORI' COLLATE NOCASE), 0))"))
                         .toLongLong();
        plat::db::Statement areas = db.prepare(QStringLiteral("SELECT CODIGO, SUBAREA FROM GRANDE_A"));
        while (areas.step()) {
            areaNameByCode.insert(areas.text(0), areas.text(1));
            areaCodeByName.insert(areas.text(1), areas.text(0));
        }
    }
}

FieldValues ImportRegister::holder(qint64 record)
{
    if (!m_holder.isValid())
        m_holder = m_db.prepare(
            QStringLiteral("SELECT Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, CODIGO_AGENCIA, CONTA_BANCO, "
                           "CPF_ORIENTADOR, NUMERO_ORIENTADOR FROM ZELTABOL WHERE rowid = ?"));
    m_holder.reset();
    m_holder.bind(1, record);
    FieldValues v;
    if (!m_holder.step())
        return v;
    const FieldId texts[] = {FieldId::Nome,    FieldId::Cpf,      FieldId::Sexo,    FieldId::Nascimento, FieldId::Processo,
                             FieldId::Demanda, FieldId::Situacao, FieldId::Agencia, FieldId::Conta,      FieldId::CpfOrientador};
    for (int c = 0; c < 10; ++c)
        v.insert(texts[c], m_holder.text(c));
    v.insert(FieldId::Nascimento, m_holder.isoDate(3));
    v.insert(FieldId::Projeto, m_holder.isNull(10) ? QVariant() : QVariant(m_holder.int64(10)));
    m_holder.reset();
    return v;
}

FieldValues ImportRegister::advisor(qint64 codigo)
{
    if (!m_advisor.isValid())
        m_advisor = m_db.prepare(QStringLiteral("SELECT CPF, NOME, TITULACAO, TITULO, P_CHAVE1, P_CHAVE2, P_CHAVE3, COD_AREA, "
                                                "PESQUISADOR, CATEGORIA FROM ZELTAORI WHERE Codigo = ?"));
    m_advisor.reset();
    m_advisor.bind(1, codigo);
    FieldValues v;
    if (!m_advisor.step())
        return v;
    const FieldId fields[] = {FieldId::Cpf,      FieldId::Nome,     FieldId::Titulacao, FieldId::Titulo,      FieldId::Palavra1,
                              FieldId::Palavra2, FieldId::Palavra3, FieldId::Area,      FieldId::Pesquisador, FieldId::Categoria};
    for (int c = 0; c < 10; ++c)
        v.insert(fields[c], m_advisor.text(c));
    m_advisor.reset();
    return v;
}

namespace {

QString word(const QString& code, const char* a, const char* wordA, const char* b, const char* wordB)
{
    const QString c = code.trimmed();
    return c == QLatin1String(a) ? QString::fromUtf8(wordA) : c == QLatin1String(b) ? QString::fromUtf8(wordB) : c;
}

bool same(FieldId id, const QVariant& a, const QVariant& b)
{
    if (id == FieldId::Nascimento)
        return a.toDate() == b.toDate();
    if (id == FieldId::Projeto)
        return a.isNull() == b.isNull() && a.toLongLong() == b.toLongLong();
    return a.toString().trimmed() == b.toString().trimmed();
}

} // namespace

QString ImportRegister::shown(FieldId id, const QVariant& value) const
{
    switch (id) {
    case FieldId::Nascimento:
        return dataEscrita(value.toDate());
    case FieldId::Sexo:
        return word(value.toString(), "F", "Feminino", "M", "Masculino");
    case FieldId::Titulacao:
        return word(value.toString(), "D", "Doutor", "M", "Mestre");
    case FieldId::Pesquisador:
        return value.toString() == u"S" ? QStringLiteral("Sim") : QStringLiteral("Não");
    case FieldId::Projeto:
        return value.isNull() ? QString() : advisorByCodigo.value(value.toLongLong()).titulo.trimmed();
    case FieldId::Area:
        return value.toString().trimmed().isEmpty() ? QString() : areaCodeFromDigits(value.toString().trimmed());
    default:
        return value.toString().trimmed();
    }
}

RecordUpdate ImportRegister::update(ImportKind kind, const FieldValues& before, const FieldValues& after) const
{
    RecordUpdate u;
    for (const ImportField& f : importFields(kind)) {
        if (!after.contains(f.id) || same(f.id, before.value(f.id), after.value(f.id)))
            continue;
        u.columns << f.column;
        u.values << after.value(f.id);
        u.changes.append({f.label, shown(f.id, before.value(f.id)), shown(f.id, after.value(f.id))});
    }
    return u;
}

} // namespace zelta::sheets
