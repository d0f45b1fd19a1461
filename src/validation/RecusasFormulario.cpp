#include "validation/RecusasFormulario.h"

#include "advisors/AdvisorRules.h"
#include "holders/HolderRules.h"

#include <algorithm>
#include <array>

namespace zelta {

namespace {

// The field each refusal of an entry form is about.
template <typename Check>
struct FormField {
    Check check;
    Campo campo;
};

constexpr std::array<FormField<HolderCheck>, 5> kHolderFields{{
    {HolderCheck::Sexo, Campo::Sexo},
    {HolderCheck::Nascimento, Campo::DataNascimento},
    {HolderCheck::Agencia, Campo::CodigoAgencia},
    {HolderCheck::Orientador, Campo::CpfOrientador},
    {HolderCheck::Nome, Campo::Nome},
}};

constexpr std::array<FormField<AdvisorCheck>, 8> kAdvisorFields{{
    {AdvisorCheck::Nome, Campo::Nome},
    {AdvisorCheck::Titulacao, Campo::Titulacao},
    {AdvisorCheck::Titulo, Campo::Titulo},
    {AdvisorCheck::PalavraChave, Campo::PalavraChave},
    {AdvisorCheck::Palavras12, Campo::Chave1IgualChave2},
    {AdvisorCheck::Palavras13, Campo::Chave1IgualChave3},
    {AdvisorCheck::Palavras23, Campo::Chave2IgualChave3},
    {AdvisorCheck::Area, Campo::CodArea},
}};

template <typename Fields>
quint16 campos(unsigned failures, const Fields& fields)
{
    quint16 out = 0;
    for (const auto& f : fields)
        if (failures & (1u << unsigned(f.check)))
            out |= Exame::bit(f.campo);
    return out;
}

template <typename Fields, typename Message>
void acrescentar(const Fields& fields, const Message& message, const Exame& e, QList<Pendencia>& out)
{
    for (const auto& f : fields) {
        if (!e.recusadoNoFormulario(f.campo))
            continue;
        if (std::none_of(out.begin(), out.end(), [&f](const Pendencia& p) { return p.campo == f.campo; }))
            out.append({f.campo, message(f.check), false});
    }
}

} // namespace

quint16 recusasDoBolsista(const DadosBolsista& b)
{
    return campos(holderEntryFailures(storedHolderEntry(b.nome, b.sexo, b.dataNascimento, b.codigoAgencia, b.cpfOrientador,
                                                        b.orientadorNoCadastro)),
                  kHolderFields);
}

quint16 recusasDoOrientador(const DadosOrientador& o)
{
    return campos(advisorEntryFailures(
                      storedAdvisorEntry(o.nome, o.titulacao, o.titulo, o.pChave1, o.pChave2, o.pChave3, o.subarea)),
                  kAdvisorFields);
}

void acrescentarRecusas(bool orientador, const Exame& e, QList<Pendencia>& problems)
{
    if (orientador)
        acrescentar(kAdvisorFields, advisorCheckMessage, e, problems);
    else
        acrescentar(kHolderFields, holderCheckMessage, e, problems);
}

// ------------------------------------------------------------------ area names

namespace {

// The area table's ordering by code, as the entry form searches it.
plat::db::Ordering codeOrder(const plat::db::Database& db)
{
    const plat::db::TableDef& def = db.table(QStringLiteral("GRANDE_A"));
    const plat::db::IndexDef* index = def.indexByName(QStringLiteral("Id_CodSubarea"));
    return plat::db::Ordering(def, index ? index->fields : QStringList{QStringLiteral("CODIGO")});
}

} // namespace

AreaDoFormulario::AreaDoFormulario(const plat::db::Database& db) : m_db(db), m_order(codeOrder(db))
{
    const int keyColumns = int(m_order.searchKey({QString()}).size());
    m_next = db.prepare(QStringLiteral("SELECT SUBAREA FROM \"%1\" WHERE %2 ORDER BY %3 LIMIT 1")
                            .arg(db.table(QStringLiteral("GRANDE_A")).name, m_order.compare(QStringLiteral(">="), keyColumns),
                                 m_order.orderBy()));
}

QString AreaDoFormulario::nome(const QString& codArea)
{
    // Advisors share few codes: each is searched once.
    if (const auto known = m_names.constFind(codArea); known != m_names.cend())
        return *known;
    QString name = search(codArea);
    m_names.insert(codArea, name);
    return name;
}

QString AreaDoFormulario::search(const QString& codArea)
{
    // The form searches for the stored digits written back as a code.
    m_next.reset();
    m_next.bindAll(m_order.searchKey({areaCodeFromDigits(codArea)}));
    if (m_next.step())
        return m_next.text(0);
    if (!m_last) {
        plat::db::Statement last = m_db.prepare(QStringLiteral("SELECT SUBAREA FROM \"%1\" ORDER BY %2 LIMIT 1")
                                                    .arg(m_db.table(QStringLiteral("GRANDE_A")).name, m_order.orderBy({}, true)));
        m_last = last.step() ? last.text(0) : QString();
    }
    return *m_last;
}

} // namespace zelta
