#include "holders/HolderRules.h"

#include "platform/db/Query.h"
#include "platform/system/Error.h"

namespace zelta {

QString situacaoWord(const QString& stored)
{
    if (stored == u"NV")
        return situacao::novo;
    if (stored == u"RN")
        return situacao::renovado;
    if (stored == u"EX")
        return situacao::excluido;
    return stored;
}

namespace {

int wholeNumber(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok)
        throw plat::Error::input(QStringLiteral("'%1' não é um número inteiro válido").arg(text));
    return n;
}

} // namespace

bool quotaFull(const QString& totalRnNvText, const QString& cotasText)
{
    const int total = wholeNumber(totalRnNvText);
    const int cotas = wholeNumber(cotasText);
    return cotas < total + 1;
}

QString cotasText(double cotas)
{
    QString text = QString::number(cotas, 'g', 15);
    text.replace(u'.', u',');
    return text;
}

bool branchCodeFilled(const QString& agencia) { return !agencia.isEmpty() && !agencia.left(4).contains(u' '); }

bool birthDateFilled(const QString& nascimento) { return !nascimento.isEmpty() && !nascimento.contains(u' '); }

unsigned holderEntryFailures(const HolderEntry& entry)
{
    auto bit = [](HolderCheck c, bool fails) { return fails ? 1u << unsigned(c) : 0u; };
    return bit(HolderCheck::Sexo, entry.sexo < 0) | bit(HolderCheck::Nascimento, !birthDateFilled(entry.nascimento))
           | bit(HolderCheck::Agencia, !branchCodeFilled(entry.agencia))
           | bit(HolderCheck::Orientador, entry.cpfOrientador.isEmpty()) | bit(HolderCheck::Nome, entry.nome.isEmpty());
}

QString holderCheckMessage(HolderCheck check)
{
    switch (check) {
    case HolderCheck::Sexo:
        return QStringLiteral("Sexo campo obrigatório");
    case HolderCheck::Nascimento:
        return QStringLiteral("Data de nascimento campo obrigatório");
    case HolderCheck::Agencia:
        return QStringLiteral("Código da agencia campo obrigatório");
    case HolderCheck::Orientador:
        return QStringLiteral("orientador campo obrigatório");
    case HolderCheck::Nome:
        return QStringLiteral("Nome campo obrigatório");
    }
    return QString();
}

QList<HolderProblem> holderEntryProblems(const HolderEntry& entry)
{
    const unsigned failures = holderEntryFailures(entry);
    QList<HolderProblem> problems;
    for (HolderCheck check : kHolderChecks)
        if (failures & (1u << unsigned(check)))
            problems.append({check, holderCheckMessage(check)});
    return problems;
}

int sexoItem(const QString& sexo) { return sexo == u"F" ? 0 : sexo == u"M" ? 1 : -1; }

HolderEntry storedHolderEntry(const QString& nome, const QString& sexo, const QString& nascimento, const QString& agencia,
                              const QString& cpfOrientador, bool advisorFound)
{
    return {nome, sexoItem(sexo), nascimento, agencia, advisorFound ? cpfOrientador : QString()};
}

HolderAdvisor holderAdvisor(plat::db::Query& query, const QString& cpfOrientador, qint64 numeroOrientador)
{
    query.close();
    query.clearParams();
    query.setSql({QStringLiteral("SELECT CODIGO,CPF,TITULO,NOME FROM ZELTAORI WHERE CPF = :cpf ORDER BY CODIGO")});
    query.setParam(QStringLiteral(":cpf"), cpfOrientador);
    query.open();
    HolderAdvisor chosen;
    for (query.first(); !query.eof(); query.next()) {
        const qint64 codigo = query.field(QStringLiteral("Codigo")).asInteger();
        if (!chosen.found || codigo == numeroOrientador) {
            chosen.found = true;
            chosen.codigo = codigo;
            chosen.cpf = query.field(QStringLiteral("CPF")).asString();
            chosen.nome = query.field(QStringLiteral("NOME")).asString();
            chosen.titulo = query.field(QStringLiteral("TITULO")).asString();
            if (codigo == numeroOrientador)
                break;
        }
    }
    query.close();
    query.clearParams();
    return chosen;
}

namespace holderText {

QString quotaFullNovo() { return QStringLiteral("Limite Máximo de Cotas Alcançado"); }

QString quotaFullRenovar() { return QStringLiteral("Limite máximo de cotas "); }

QString confirmDeleteNovo()
{
    return QStringLiteral("Tem certeza que deseja excluir ?\n\rEsta operação apagará todas as informações do bolsista.");
}

QString confirmDeleteRenovado()
{
    return QStringLiteral("Tem certeza que deseja excluir ?\n\rEsta operação não apagará as informações do bolsista,"
                          "\n\rsomente alterará a situação de Renovado para Excluído.");
}

QString cpfOfHolder(const QString& holderName) { return QStringLiteral("CPF já utilizado pelo bolsista\n\r") + holderName; }

QString cpfOfAdvisor(const QString& advisorName) { return QStringLiteral("CPF já utilizado pelo orientador\n\r") + advisorName; }

} // namespace holderText

} // namespace zelta
