#include "validation/Completude.h"

#include "holders/HolderRules.h"
#include "platform/db/Database.h"
#include "platform/db/Scan.h"
#include "platform/db/Table.h"
#include "validation/TVlCpfCgc.h"

#include <algorithm>
#include <array>

namespace zelta {

namespace {

struct CodeLine {
    Campo campo;
    const char* code;
    const char* line;
};

constexpr std::array<CodeLine, 6> kHolderLines{{
    {Campo::Cpf, "1,", "....CPF Inválido"},
    {Campo::Sexo, "2,", "....Sexo Inválido"},
    {Campo::DataNascimento, "3,", "....Data de Nascimento Inválido"},
    {Campo::CpfOrientador, "4,", "....CPF do Orientador Inválido"},
    {Campo::CodigoAgencia, "5,", "....Agência Inválido"},
    {Campo::NumeroOrientador, "6,", "....Bolsista sem Orientador"},
}};

constexpr std::array<CodeLine, 5> kAdvisorLines{{
    {Campo::Cpf, "1,", "....CPF Inválido"},
    {Campo::Titulacao, "2,", "....Titulação Inválida"},
    {Campo::PalavraChave, "3,", "....Palavra Chave Inexistente"},
    {Campo::CodArea, "4,", "....Código da Área Inválida"},
    {Campo::Vinculo, "5,", "....Orientador não Vinculado a Bolsista"},
}};

template <std::size_t N>
QStringList linesFor(const QString& code, const std::array<CodeLine, N>& table)
{
    QStringList out;
    for (const CodeLine& entry : table)
        if (code.contains(QLatin1StringView(entry.code)))
            out << QString::fromUtf8(entry.line);
    return out;
}

// The field each refusal of the holder entry form is about.
struct FormField {
    HolderCheck check;
    Campo campo;
};

constexpr std::array<FormField, 5> kFormFields{{
    {HolderCheck::Sexo, Campo::Sexo},
    {HolderCheck::Nascimento, Campo::DataNascimento},
    {HolderCheck::Agencia, Campo::CodigoAgencia},
    {HolderCheck::Orientador, Campo::CpfOrientador},
    {HolderCheck::Nome, Campo::Nome},
}};

// A field holding nothing but blanks was left empty as well, for the verification.
bool blank(const QString& text) { return text.trimmed().isEmpty(); }

void mark(Exame& e, Campo c, bool verificacao, bool geracao)
{
    if (verificacao)
        e.verificacao |= Exame::bit(c);
    if (geracao)
        e.geracao |= Exame::bit(c);
}

// The verification's CPF check: the validator's verdict on the stored text;
// not asked without a validator.
bool cpfInvalido(TVlCpfCgc* validator, const QString& cpf)
{
    if (!validator)
        return false;
    validator->setInput(cpf);
    return !validator->Valid();
}

// The message of a problem: the log line's text; a CPF that only the
// pre-check refuses says why.
QString mensagem(const CodeLine& entry, const Exame& e, const QString& cpf)
{
    if (entry.campo == Campo::Cpf && !e.falhaNaVerificacao(Campo::Cpf))
        return cpf.size() != 14 ? QStringLiteral("CPF incompleto") : QStringLiteral("CPF com todos os dígitos iguais");
    return QString::fromUtf8(entry.line + 4);
}

} // namespace

QString nomeCampo(Campo campo)
{
    switch (campo) {
    case Campo::Cpf: return QStringLiteral("CPF");
    case Campo::Sexo: return QStringLiteral("SEXO");
    case Campo::DataNascimento: return QStringLiteral("DATA_NASCIMENTO");
    case Campo::CpfOrientador: return QStringLiteral("CPF_ORIENTADOR");
    case Campo::CodigoAgencia: return QStringLiteral("CODIGO_AGENCIA");
    case Campo::NumeroOrientador: return QStringLiteral("NUMERO_ORIENTADOR");
    case Campo::Titulacao: return QStringLiteral("TITULACAO");
    case Campo::PalavraChave: return QStringLiteral("P_CHAVE1");
    case Campo::CodArea: return QStringLiteral("COD_AREA");
    case Campo::Vinculo: return QStringLiteral("VINCULO");
    case Campo::Nome: return QStringLiteral("Nome");
    }
    return QString();
}

NumeroOrientador NumeroOrientador::de(const QVariant& v)
{
    NumeroOrientador n;
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        n = {false, false, true, v.toLongLong()};
        break;
    case QMetaType::Double:
        n = {false, false, true, qint64(v.toDouble())};
        break;
    case QMetaType::QString: {
        n.nulo = false;
        const QString text = v.toString().trimmed();
        n.vazio = text.isEmpty();
        if (!n.vazio)
            n.numero = text.toLongLong(&n.valido);
        break;
    }
    default:
        break;
    }
    return n;
}

// ------------------------------------------------------------------ rules

bool cpfDigitosRepetidos(const QString& cpf)
{
    if (cpf.size() != 14 || !cpf.at(0).isDigit())
        return false;
    const QChar d = cpf.at(0);
    for (int i : {1, 2, 4, 5, 6, 8, 9, 10, 12, 13})
        if (cpf.at(i) != d)
            return false;
    return cpf.at(3) == u'.' && cpf.at(7) == u'.' && cpf.at(11) == u'-';
}

bool cpfAceitoNaGeracao(const QString& cpf) { return cpf.size() == 14 && !cpfDigitosRepetidos(cpf); }

QString dataEscrita(const QDate& date)
{
    QString out;
    escreverData(date, out);
    return out;
}

void escreverData(const QDate& date, QString& into)
{
    if (!date.isValid()) {
        into.clear();
        return;
    }
    const int y = date.year();
    if (y < 1000 || y > 9999) {
        into = date.toString(QStringLiteral("dd/MM/yyyy"));
        return;
    }
    // The common case by hand, into the caller's string: no allocation.
    const int d = date.day(), m = date.month();
    into.resize(10);
    QChar* p = into.data();
    const char16_t text[10] = {char16_t(u'0' + d / 10),       char16_t(u'0' + d % 10),      u'/',
                               char16_t(u'0' + m / 10),       char16_t(u'0' + m % 10),      u'/',
                               char16_t(u'0' + y / 1000),     char16_t(u'0' + y / 100 % 10), char16_t(u'0' + y / 10 % 10),
                               char16_t(u'0' + y % 10)};
    for (int i = 0; i < 10; ++i)
        p[i] = QChar(text[i]);
}

bool dataAceita(const QString& written)
{
    const qsizetype n = written.size();
    if (n != 8 && n != 10)
        return false;
    // The file's dd/mm/yy: characters 1-6 and the last two.
    return !(written.startsWith(QLatin1StringView("30/12/")) && written.endsWith(QLatin1StringView("99")));
}

bool sexoAceito(const QString& sexo) { return sexoItem(sexo) >= 0; }

bool agenciaAceita(const QString& code)
{
    if (code.isEmpty())
        return false;
    // Position 5 holds the separator of the branch code; a position past the
    // end of a shorter code is not a blank.
    for (int position : {1, 2, 3, 4, 6})
        if (position <= code.size() && code.at(position - 1) == u' ')
            return false;
    return true;
}

Exame examinarBolsista(const DadosBolsista& b, TVlCpfCgc* validator)
{
    Exame e;
    mark(e, Campo::Cpf, cpfInvalido(validator, b.cpf), !cpfAceitoNaGeracao(b.cpf));
    const bool sexo = !sexoAceito(b.sexo);
    mark(e, Campo::Sexo, sexo, sexo);
    const bool data = !dataAceita(b.dataNascimento);
    mark(e, Campo::DataNascimento, data, data);
    const bool cpfOrientador = b.cpfOrientador.size() != 14;
    mark(e, Campo::CpfOrientador, cpfOrientador, cpfOrientador);
    const bool agencia = !agenciaAceita(b.codigoAgencia);
    mark(e, Campo::CodigoAgencia, agencia, agencia);
    // A number that names no advisor record leaves the holder without one.
    const bool semOrientador = !(b.numero.valido && b.numero.registrado);
    mark(e, Campo::NumeroOrientador, semOrientador, semOrientador);
    const unsigned recusas = holderEntryFailures(storedHolderEntry(
        b.nome, b.sexo, b.dataNascimento, b.codigoAgencia, b.cpfOrientador, b.orientadorNoCadastro));
    for (const FormField& f : kFormFields)
        if (recusas & (1u << unsigned(f.check)))
            e.formulario |= Exame::bit(f.campo);
    return e;
}

Exame examinarOrientador(const DadosOrientador& o, TVlCpfCgc* validator)
{
    Exame e;
    mark(e, Campo::Cpf, cpfInvalido(validator, o.cpf), !cpfAceitoNaGeracao(o.cpf));
    mark(e, Campo::Titulacao, blank(o.titulacao), o.titulacao.isEmpty());
    mark(e, Campo::PalavraChave, blank(o.pChave1) && blank(o.pChave2) && blank(o.pChave3),
         o.pChave1.isEmpty() && o.pChave2.isEmpty() && o.pChave3.isEmpty());
    const bool area = o.codArea.size() != 8;
    mark(e, Campo::CodArea, area, area);
    mark(e, Campo::Vinculo, !o.temBolsista, !o.temBolsista);
    return e;
}

QString codigoErroBolsista(const Exame& e)
{
    // The last failing check in order.
    for (auto it = kHolderLines.rbegin(); it != kHolderLines.rend(); ++it)
        if (e.falhaNaVerificacao(it->campo))
            return QLatin1StringView(it->code).toString();
    return QString();
}

QString codigoErroOrientador(const Exame& e)
{
    // Every check sets its code, replacing what was there, except the
    // titulação check, which appends.
    QString code;
    for (const CodeLine& entry : kAdvisorLines) {
        if (!e.falhaNaVerificacao(entry.campo))
            continue;
        if (entry.campo == Campo::Titulacao)
            code += QLatin1StringView(entry.code);
        else
            code = QLatin1StringView(entry.code).toString();
    }
    return code;
}

QString codigoErroBolsista(const DadosBolsista& b, TVlCpfCgc& validator)
{
    return codigoErroBolsista(examinarBolsista(b, &validator));
}

QString codigoErroOrientador(const DadosOrientador& o, TVlCpfCgc& validator)
{
    return codigoErroOrientador(examinarOrientador(o, &validator));
}

QStringList linhasErroBolsista(const QString& codigo) { return linesFor(codigo, kHolderLines); }

QStringList linhasErroOrientador(const QString& codigo) { return linesFor(codigo, kAdvisorLines); }

// ------------------------------------------------------------------ pending problems

QList<Pendencia> pendenciasDe(bool orientador, const Exame& e, const QString& cpf)
{
    QList<Pendencia> out;
    auto add = [&](const auto& table) {
        for (const CodeLine& entry : table)
            if (e.falhaNaVerificacao(entry.campo) || e.impedeGeracao(entry.campo))
                out.append({entry.campo, mensagem(entry, e, cpf), e.impedeGeracao(entry.campo)});
    };
    if (orientador) {
        add(kAdvisorLines);
        return out;
    }
    add(kHolderLines);
    // What the entry form would refuse besides, in the form's order, with its
    // message: a field the checks above already name is not named twice.
    for (const FormField& f : kFormFields) {
        if (!e.recusadoNoFormulario(f.campo))
            continue;
        if (std::none_of(out.begin(), out.end(), [&f](const Pendencia& p) { return p.campo == f.campo; }))
            out.append({f.campo, holderCheckMessage(f.check), false});
    }
    return out;
}

int RegistroPendente::abertas() const
{
    return int(std::count_if(pendencias.begin(), pendencias.end(), [](const Pendencia& p) { return !p.resolvida; }));
}

int ListaPendencias::problemas() const
{
    int n = 0;
    for (const RegistroPendente& r : registros)
        n += r.abertas();
    return n;
}

int ListaPendencias::registrosComProblemas() const
{
    return int(std::count_if(registros.begin(), registros.end(), [](const RegistroPendente& r) { return r.abertas() > 0; }));
}

ListaPendencias ListaPendencias::soImpeditivas() const
{
    ListaPendencias out;
    for (RegistroPendente r : registros) {
        r.pendencias.removeIf([](const Pendencia& p) { return !p.impedeGeracao; });
        if (!r.pendencias.isEmpty())
            out.registros.append(std::move(r));
    }
    return out;
}

QString linhaPendencia(const RegistroPendente& r, const Pendencia& p)
{
    return QStringLiteral("%1 %2 (%3): %4")
        .arg(r.orientador ? QStringLiteral("Orientador") : QStringLiteral("Bolsista"), r.nome, r.cpf, p.mensagem);
}

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
enum AdvisorColumn { aRowid, aCodigo, aNome, aCpf, aTitulacao, aChave1, aChave2, aChave3, aArea };

const QStringList kHolderColumns{QStringLiteral("rowid"), QStringLiteral("Nome"), QStringLiteral("CPF"),
                                  QStringLiteral("SEXO"), QStringLiteral("DATA_NASCIMENTO"), QStringLiteral("CPF_ORIENTADOR"),
                                  QStringLiteral("CODIGO_AGENCIA"), QStringLiteral("NUMERO_ORIENTADOR"),
                                  QStringLiteral("SITUACAO")};
const QStringList kAdvisorColumns{QStringLiteral("rowid"), QStringLiteral("CODIGO"), QStringLiteral("NOME"),
                                  QStringLiteral("CPF"), QStringLiteral("TITULACAO"), QStringLiteral("P_CHAVE1"),
                                  QStringLiteral("P_CHAVE2"), QStringLiteral("P_CHAVE3"), QStringLiteral("COD_AREA")};

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
    r.pendencias = pendenciasDe(orientador, exame, r.cpf);
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
        if (excluded)
            continue;
        row.read(st);
        row.b.numero.registrado = row.b.numero.valido && TallyOrientadores::registrado(m_tally.flags(row.b.numero.numero));
        row.b.orientadorNoCadastro = m_cpfsOrientadores.contains(row.b.cpfOrientador);
        r.exame = examinarBolsista(row.b, m_validator);
        if (r.exame.limpo() && !m_visitClean)
            continue;
        r.rowid = st.int64(hRowid);
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
    while (scan.next()) {
        if (m_progress)
            m_progress();
        const qint64 codigo = st.int64(aCodigo);
        const quint8 holders = m_tally.flags(codigo);
        if (TallyOrientadores::saiu(holders))
            continue;
        row.read(st);
        row.o.temBolsista = TallyOrientadores::temBolsista(holders);
        r.exame = examinarOrientador(row.o, m_validator);
        if (r.exame.limpo() && !m_visitClean)
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
    if (row.situacao == situacao::excluido)
        return std::nullopt;
    row.b.numero = numeroDe(st, hNumero);
    row.read(st);
    plat::db::Statement ori = m_db.prepare(QStringLiteral(
        "SELECT EXISTS (SELECT 1 FROM ZELTAORI WHERE Codigo = ?), EXISTS (SELECT 1 FROM ZELTAORI WHERE CPF = ?)"));
    ori.bindAll({row.b.numero.numero, row.b.cpfOrientador});
    ori.step();
    row.b.numero.registrado = row.b.numero.valido && ori.int64(0) != 0;
    row.b.orientadorNoCadastro = ori.int64(1) != 0;
    RegistroExaminado r;
    r.st = &st;
    r.rowid = rowid;
    r.exame = examinarBolsista(row.b, m_validator);
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
    const QString number =
        plat::db::Ordering(m_db.table(QStringLiteral("ZELTABOL")), {QStringLiteral("NUMERO_ORIENTADOR")}).columns().first();
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
    RegistroExaminado r;
    r.st = &st;
    r.orientador = true;
    r.rowid = rowid;
    r.codigo = codigo;
    r.exame = examinarOrientador(row.o, m_validator);
    return r.pendente();
}

namespace {

plat::db::Ordering orderOf(plat::db::Table& table)
{
    if (table.isOpen())
        return table.ordering();
    table.open();
    const plat::db::Ordering order = table.ordering();
    table.close();
    return order;
}

} // namespace

ListaPendencias listarPendencias(const plat::db::Database& db, plat::db::Table& bolsistas,
                                 plat::db::Table& orientadores, TVlCpfCgc* validator)
{
    const plat::db::Ordering holderOrder = orderOf(bolsistas);
    const plat::db::Ordering advisorOrder = orderOf(orientadores);
    ListaPendencias out;
    Completude walk(db, validator);
    auto collect = [&out](const RegistroExaminado& r) {
        out.registros.append(r.pendente());
        return true;
    };
    walk.bolsistas(holderOrder, collect);
    walk.orientadores(advisorOrder, collect);
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
