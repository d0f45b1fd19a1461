#include "validation/Completude.h"

#include "holders/HolderRules.h"
#include "validation/RecusasFormulario.h"
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

// A field holding nothing but blanks was left empty as well, for the verification.
bool blank(const QString& text) { return text.trimmed().isEmpty(); }

void mark(Exame& e, Campo c, bool verificacao, bool geracao)
{
    if (verificacao)
        e.verificacao |= Exame::bit(c);
    if (geracao)
        e.geracao |= Exame::bit(c);
}

// The message of a problem: the log line's text; a CPF that only the
// pre-check refuses, or that another holder has, says why.
QString mensagem(const CodeLine& entry, const Exame& e, const QString& cpf, const QStringList& repetidoCom)
{
    if (entry.campo == Campo::Cpf && e.cpfRepetido) {
        if (repetidoCom.size() <= 1)
            return QStringLiteral("CPF repetido: também é o CPF do bolsista %1").arg(repetidoCom.value(0));
        return QStringLiteral("CPF repetido: também é o CPF dos bolsistas %1 e %2")
            .arg(repetidoCom.mid(0, repetidoCom.size() - 1).join(QStringLiteral(", ")), repetidoCom.last());
    }
    if (entry.campo == Campo::Cpf && !e.falhaNaVerificacao(Campo::Cpf))
        return cpf.size() != 14 ? QStringLiteral("CPF incompleto") : QStringLiteral("CPF com todos os dígitos iguais");
    return QString::fromUtf8(entry.line + 4);
}

} // namespace

QString nomeCampo(Campo campo)
{
    switch (campo) {
    case Campo::Cpf:
        return QStringLiteral("CPF");
    case Campo::Sexo:
        return QStringLiteral("SEXO");
    case Campo::DataNascimento:
        return QStringLiteral("DATA_NASCIMENTO");
    case Campo::CpfOrientador:
        return QStringLiteral("CPF_ORIENTADOR");
    case Campo::CodigoAgencia:
        return QStringLiteral("CODIGO_AGENCIA");
    case Campo::NumeroOrientador:
        return QStringLiteral("NUMERO_ORIENTADOR");
    case Campo::Titulacao:
        return QStringLiteral("TITULACAO");
    case Campo::PalavraChave:
        return QStringLiteral("P_CHAVE1");
    case Campo::CodArea:
        return QStringLiteral("COD_AREA");
    case Campo::Vinculo:
        return QStringLiteral("VINCULO");
    case Campo::Nome:
        return QStringLiteral("Nome");
    case Campo::Titulo:
        return QStringLiteral("TITULO");
    case Campo::Chave1IgualChave2:
        return QStringLiteral("P_CHAVE2");
    case Campo::Chave1IgualChave3:
    case Campo::Chave2IgualChave3:
        return QStringLiteral("P_CHAVE3");
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
    const char16_t text[10] = {char16_t(u'0' + d / 10),   char16_t(u'0' + d % 10),       u'/',
                               char16_t(u'0' + m / 10),   char16_t(u'0' + m % 10),       u'/',
                               char16_t(u'0' + y / 1000), char16_t(u'0' + y / 100 % 10), char16_t(u'0' + y / 10 % 10),
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

bool Regras::cpfInvalido(const QString& cpf) const
{
    if (m_conjunto == Conjunto::PreGeracao)
        return false;
    m_validator->setInput(cpf);
    return !m_validator->Valid();
}

Exame examinarBolsista(const DadosBolsista& b, const Regras& regras)
{
    Exame e;
    e.cpfRepetido = b.cpfRepetido;
    mark(e, Campo::Cpf, b.cpfRepetido || regras.cpfInvalido(b.cpf), b.cpfRepetido || !cpfAceitoNaGeracao(b.cpf));
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
    e.formulario = recusasDoBolsista(b);
    return e;
}

Exame exameCpfRepetido()
{
    Exame e;
    e.cpfRepetido = true;
    mark(e, Campo::Cpf, true, true);
    return e;
}

Exame examinarOrientador(const DadosOrientador& o, const Regras& regras)
{
    Exame e;
    mark(e, Campo::Cpf, regras.cpfInvalido(o.cpf), !cpfAceitoNaGeracao(o.cpf));
    mark(e, Campo::Titulacao, blank(o.titulacao), o.titulacao.isEmpty());
    mark(e, Campo::PalavraChave, blank(o.pChave1) && blank(o.pChave2) && blank(o.pChave3),
         o.pChave1.isEmpty() && o.pChave2.isEmpty() && o.pChave3.isEmpty());
    const bool area = o.codArea.size() != 8;
    mark(e, Campo::CodArea, area, area);
    mark(e, Campo::Vinculo, !o.temBolsista, !o.temBolsista);
    e.formulario = recusasDoOrientador(o);
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
    return codigoErroBolsista(examinarBolsista(b, Regras::verificacao(validator)));
}

QString codigoErroOrientador(const DadosOrientador& o, TVlCpfCgc& validator)
{
    return codigoErroOrientador(examinarOrientador(o, Regras::verificacao(validator)));
}

QStringList linhasErroBolsista(const QString& codigo) { return linesFor(codigo, kHolderLines); }

QStringList linhasErroOrientador(const QString& codigo) { return linesFor(codigo, kAdvisorLines); }

// ------------------------------------------------------------------ pending problems

QList<Pendencia> pendenciasDe(bool orientador, const Exame& e, const QString& cpf, const QStringList& repetidoCom)
{
    QList<Pendencia> out;
    auto add = [&](const auto& table) {
        for (const CodeLine& entry : table)
            if (e.falhaNaVerificacao(entry.campo) || e.impedeGeracao(entry.campo))
                out.append({entry.campo, mensagem(entry, e, cpf, repetidoCom), e.impedeGeracao(entry.campo), false,
                            e.falhaNaVerificacao(entry.campo)});
    };
    if (orientador)
        add(kAdvisorLines);
    else
        add(kHolderLines);
    acrescentarRecusas(orientador, e, out);
    return out;
}

int RegistroPendente::abertas() const
{
    return int(std::count_if(pendencias.begin(), pendencias.end(), [](const Pendencia& p) { return !p.resolvida; }));
}

int RegistroPendente::linhasNoLog() const
{
    Exame e;
    for (const Pendencia& p : pendencias)
        if (!p.resolvida && p.naVerificacao)
            e.verificacao |= Exame::bit(p.campo);
    return int(orientador ? linhasErroOrientador(codigoErroOrientador(e)).size()
                          : linhasErroBolsista(codigoErroBolsista(e)).size());
}

ListaPendencias::Contagem ListaPendencias::contagem() const
{
    Contagem c;
    for (const RegistroPendente& r : registros) {
        int naVerificacao = 0;
        for (const Pendencia& p : r.pendencias) {
            if (p.resolvida)
                continue;
            if (p.naVerificacao)
                ++naVerificacao;
            else if (p.impedeGeracao)
                ++c.soGeracao;
            else
                ++c.soFormulario;
        }
        c.juntas += naVerificacao - r.linhasNoLog();
    }
    return c;
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

} // namespace zelta
