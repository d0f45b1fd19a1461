#include "validation/Completude.h"

#include "platform/db/Database.h"
#include "platform/db/Scan.h"
#include "validation/RecusasFormulario.h"

#include <algorithm>

namespace zelta {

// ------------------------------------------------------------------ the walk

// Advisor numbers up to this many are kept in the dense table; a register
// never comes near it, but a number typed into the file by hand could.
constexpr qint64 kDenseNumbers = qint64(1) << 24;

void TallyOrientadores::reset(qint64 highestNumber)
{
    m_dense.assign(std::size_t(std::clamp<qint64>(highestNumber + 1, 0, kDenseNumbers)), 0);
    m_sparse.clear();
}

void TallyOrientadores::add(qint64 number, Flag flag)
{
    if (number >= 0 && number < qint64(m_dense.size()))
        m_dense[std::size_t(number)] |= flag;
    else
        m_sparse[number] |= flag;
}

quint8 TallyOrientadores::flags(qint64 number) const
{
    if (number >= 0 && number < qint64(m_dense.size()))
        return m_dense[std::size_t(number)];
    return m_sparse.value(number);
}

namespace {

// The columns of the two walks.
enum HolderColumn { hRowid, hNome, hCpf, hSexo, hNascimento, hCpfOrientador, hAgencia, hNumero, hSituacao };
enum AdvisorColumn { aRowid, aCodigo, aNome, aCpf, aTitulacao, aChave1, aChave2, aChave3, aArea, aTitulo };

const QStringList kHolderColumns{QStringLiteral("rowid"),
                                 QStringLiteral("Nome"),
                                 QStringLiteral("CPF"),
                                 QStringLiteral("SEXO"),
                                 QStringLiteral("DATA_NASCIMENTO"),
                                 QStringLiteral("CPF_ORIENTADOR"),
                                 QStringLiteral("CODIGO_AGENCIA"),
                                 QStringLiteral("NUMERO_ORIENTADOR"),
                                 QStringLiteral("SITUACAO")};
const QStringList kAdvisorColumns{QStringLiteral("rowid"),    QStringLiteral("CODIGO"),    QStringLiteral("NOME"),
                                  QStringLiteral("CPF"),      QStringLiteral("TITULACAO"), QStringLiteral("P_CHAVE1"),
                                  QStringLiteral("P_CHAVE2"), QStringLiteral("P_CHAVE3"),  QStringLiteral("COD_AREA"),
                                  QStringLiteral("TITULO")};

// One record of a walk's columns, by its place in the table.
plat::db::Statement recordAt(const plat::db::Database& db, const QStringList& columns, const char* table, qint64 rowid)
{
    plat::db::Statement st = db.prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(columns.join(u','), QString::fromLatin1(table)));
    st.bindAll({rowid});
    return st;
}

NumeroOrientador numeroDe(const plat::db::Statement& st, int column)
{
    if (st.isNull(column))
        return {};
    return NumeroOrientador::de(st.value(column));
}

// The row of a holder walk read into reusable fields; plain ASCII text costs
// no allocation.
struct HolderRow {
    DadosBolsista b;
    QString situacao;
    void read(const plat::db::Statement& st)
    {
        st.readText(hCpf, b.cpf);
        st.readText(hSexo, b.sexo);
        escreverData(st.isoDate(hNascimento), b.dataNascimento);
        st.readText(hCpfOrientador, b.cpfOrientador);
        st.readText(hAgencia, b.codigoAgencia);
        st.readText(hNome, b.nome);
    }
};

struct AdvisorRow {
    DadosOrientador o;
    void read(const plat::db::Statement& st)
    {
        st.readText(aCpf, o.cpf);
        st.readText(aTitulacao, o.titulacao);
        st.readText(aChave1, o.pChave1);
        st.readText(aChave2, o.pChave2);
        st.readText(aChave3, o.pChave3);
        st.readText(aArea, o.codArea);
        st.readText(aNome, o.nome);
        st.readText(aTitulo, o.titulo);
    }
};

} // namespace

QString RegistroExaminado::nome() const { return st->text(orientador ? int(aNome) : int(hNome)); }

QString RegistroExaminado::cpf() const { return st->text(orientador ? int(aCpf) : int(hCpf)); }

RegistroPendente RegistroExaminado::pendente() const
{
    RegistroPendente r;
    r.orientador = orientador;
    r.rowid = rowid;
    if (orientador)
        r.codigo = codigo;
    r.nome = nome();
    r.cpf = cpf();
    r.pendencias = pendenciasDe(orientador, exame, r.cpf, repetidoCom);
    return r;
}

bool Completude::bolsistas(const plat::db::Ordering& ordering, const Visitor& visit)
{
    m_tally.reset(m_db.scalar(QStringLiteral("SELECT max(Codigo) FROM ZELTAORI")).toLongLong());
    // Which numbers and CPFs name an advisor record: a holder's link must.
    m_cpfsOrientadores.clear();
    {
        plat::db::Statement ori = m_db.prepare(QStringLiteral("SELECT Codigo, CPF FROM ZELTAORI"));
        while (ori.step()) {
            m_tally.add(ori.int64(0), TallyOrientadores::Registrado);
            m_cpfsOrientadores.insert(ori.text(1));
        }
    }
    // The CPFs two holders have, before the walk: either may come first.
    m_repetidos.ler(m_db);
    plat::db::Scan scan(m_db, QStringLiteral("ZELTABOL"), ordering, kHolderColumns);
    const plat::db::Statement& st = scan.row();
    HolderRow row;
    RegistroExaminado r;
    r.st = &st;
    while (scan.next()) {
        if (m_progress)
            m_progress();
        st.readText(hSituacao, row.situacao);
        const bool excluded = row.situacao == situacao::excluido;
        row.b.numero = numeroDe(st, hNumero);
        // What the advisor walk needs to know of each advisor's holders.
        if (row.b.numero.valido)
            m_tally.add(row.b.numero.numero, excluded ? TallyOrientadores::Excluido : TallyOrientadores::Outro);
        if (excluded) {
            if (m_repetidos.vazio())
                continue;
            st.readText(hCpf, row.b.cpf);
            if (!m_repetidos.contem(row.b.cpf))
                continue;
            r.exame = exameCpfRepetido();
        } else {
            row.read(st);
            row.b.numero.registrado = row.b.numero.valido && TallyOrientadores::registrado(m_tally.flags(row.b.numero.numero));
            row.b.orientadorNoCadastro = m_cpfsOrientadores.contains(row.b.cpfOrientador);
            row.b.cpfRepetido = !m_repetidos.vazio() && m_repetidos.contem(row.b.cpf);
            r.exame = examinarBolsista(row.b, m_regras);
            if (r.exame.limpo())
                continue;
        }
        r.rowid = st.int64(hRowid);
        r.repetidoCom = r.exame.cpfRepetido ? m_repetidos.outros(row.b.cpf, r.rowid) : QStringList();
        if (!visit(r))
            return false;
    }
    return true;
}

bool Completude::orientadores(const plat::db::Ordering& ordering, const Visitor& visit)
{
    plat::db::Scan scan(m_db, QStringLiteral("ZELTAORI"), ordering, kAdvisorColumns);
    const plat::db::Statement& st = scan.row();
    AdvisorRow row;
    RegistroExaminado r;
    r.st = &st;
    r.orientador = true;
    AreaDoFormulario areas(m_db); // the area table as this walk finds it
    while (scan.next()) {
        if (m_progress)
            m_progress();
        const qint64 codigo = st.int64(aCodigo);
        const quint8 holders = m_tally.flags(codigo);
        if (TallyOrientadores::saiu(holders))
            continue;
        row.read(st);
        row.o.temBolsista = TallyOrientadores::temBolsista(holders);
        row.o.subarea = areas.nome(row.o.codArea);
        r.exame = examinarOrientador(row.o, m_regras);
        if (r.exame.limpo())
            continue;
        r.rowid = st.int64(aRowid);
        r.codigo = codigo;
        if (!visit(r))
            return false;
    }
    return true;
}

std::optional<RegistroPendente> Completude::bolsista(qint64 rowid)
{
    plat::db::Statement st = recordAt(m_db, kHolderColumns, "ZELTABOL", rowid);
    if (!st.step())
        return std::nullopt;
    HolderRow row;
    st.readText(hSituacao, row.situacao);
    st.readText(hCpf, row.b.cpf);
    CpfsRepetidos repetidos;
    repetidos.lerOutros(m_db, row.b.cpf, rowid);
    RegistroExaminado r;
    r.st = &st;
    r.rowid = rowid;
    r.repetidoCom = repetidos.outros(row.b.cpf, rowid);
    if (row.situacao == situacao::excluido) {
        if (r.repetidoCom.isEmpty())
            return std::nullopt;
        r.exame = exameCpfRepetido();
        return r.pendente();
    }
    row.b.numero = numeroDe(st, hNumero);
    row.read(st);
    plat::db::Statement ori = m_db.prepare(
        QStringLiteral("SELECT EXISTS (SELECT 1 FROM ZELTAORI WHERE Codigo = ?), EXISTS (SELECT 1 FROM ZELTAORI WHERE CPF = ?)"));
    ori.bindAll({row.b.numero.numero, row.b.cpfOrientador});
    ori.step();
    row.b.numero.registrado = row.b.numero.valido && ori.int64(0) != 0;
    row.b.orientadorNoCadastro = ori.int64(1) != 0;
    row.b.cpfRepetido = !r.repetidoCom.isEmpty();
    r.exame = examinarBolsista(row.b, m_regras);
    return r.pendente();
}

std::optional<RegistroPendente> Completude::orientador(qint64 rowid)
{
    plat::db::Statement st = recordAt(m_db, kAdvisorColumns, "ZELTAORI", rowid);
    if (!st.step())
        return std::nullopt;
    const qint64 codigo = st.int64(aCodigo);
    // The advisor's holders, as the walk gathers them: whether some are
    // excluded and whether some are not, each search ending at its first find.
    // The number is searched through the column its index is built on.
    const QString number
        = plat::db::Ordering(m_db.table(QStringLiteral("ZELTABOL")), {QStringLiteral("NUMERO_ORIENTADOR")}).columns().first();
    plat::db::Statement bol = m_db.prepare(
        QStringLiteral("SELECT EXISTS (SELECT 1 FROM ZELTABOL WHERE %1 = ?2 AND SITUACAO = ?1), "
                       "EXISTS (SELECT 1 FROM ZELTABOL WHERE %1 = ?2 AND coalesce(SITUACAO = ?1, 0) = 0)")
            .arg(number));
    bol.bindAll({situacao::excluido, codigo});
    bol.step();
    const quint8 holders = quint8((bol.int64(0) ? TallyOrientadores::Excluido : 0)
                                  | (bol.int64(1) ? TallyOrientadores::Outro : 0));
    if (TallyOrientadores::saiu(holders))
        return std::nullopt;
    AdvisorRow row;
    row.read(st);
    row.o.temBolsista = holders != 0;
    row.o.subarea = AreaDoFormulario(m_db).nome(row.o.codArea);
    RegistroExaminado r;
    r.st = &st;
    r.orientador = true;
    r.rowid = rowid;
    r.codigo = codigo;
    r.exame = examinarOrientador(row.o, m_regras);
    return r.pendente();
}

ListaPendencias listarPendencias(const plat::db::Database& db, const plat::db::Ordering& holders,
                                 const plat::db::Ordering& advisors, const Regras& regras)
{
    ListaPendencias out;
    Completude walk(db, regras);
    auto collect = [&out](const RegistroExaminado& r) {
        out.registros.append(r.pendente());
        return true;
    };
    walk.bolsistas(holders, collect);
    walk.orientadores(advisors, collect);
    return out;
}

void atualizarRegistro(RegistroPendente& entry, const std::optional<RegistroPendente>& now, bool soImpeditivas)
{
    QList<Pendencia> fresh = now ? now->pendencias : QList<Pendencia>();
    if (soImpeditivas)
        fresh.removeIf([](const Pendencia& p) { return !p.impedeGeracao; });
    for (Pendencia& p : entry.pendencias) {
        const auto same = std::find_if(fresh.begin(), fresh.end(), [&p](const Pendencia& f) { return f.campo == p.campo; });
        if (same == fresh.end()) {
            p.resolvida = true;
        } else {
            p = *same;
            fresh.erase(same);
        }
    }
    entry.pendencias += fresh;
    if (now) {
        entry.nome = now->nome;
        entry.cpf = now->cpf;
    }
}

} // namespace zelta
