#include "data/CpfOwners.h"

#include "platform/db/Database.h"

namespace zelta {

CpfOwner CpfOwners::ask(plat::db::Statement& st, const char* sql, CpfOwner::Kind kind, const QString& cpf, qint64 except)
{
    if (!st.isValid())
        st = m_db.prepare(QString::fromLatin1(sql));
    st.reset();
    st.bindAll({cpf, except});
    CpfOwner owner;
    if (st.step()) {
        owner.kind = kind;
        owner.record = st.int64(0);
        owner.nome = st.text(1);
    }
    st.reset(); // no read left open between questions
    return owner;
}

CpfOwner CpfOwners::advisor(const QString& cpf, qint64 except)
{
    return ask(m_advisor, "SELECT Codigo, NOME FROM ZELTAORI WHERE CPF = ? AND Codigo <> ? ORDER BY Codigo LIMIT 1",
               CpfOwner::Kind::Advisor, cpf, except);
}

CpfOwner CpfOwners::holder(const QString& cpf, qint64 except)
{
    return ask(m_holder, "SELECT rowid, Nome FROM ZELTABOL WHERE CPF = ? AND rowid <> ? ORDER BY rowid LIMIT 1",
               CpfOwner::Kind::Holder, cpf, except);
}

CpfOwner CpfOwners::forHolder(const QString& cpf, qint64 holderRecord)
{
    const CpfOwner owner = advisor(cpf);
    return owner.found() ? owner : holder(cpf, holderRecord);
}

} // namespace zelta
