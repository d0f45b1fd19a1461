#include "advisors/AdvisorRules.h"

namespace zelta {

unsigned advisorEntryFailures(const AdvisorEntry& e)
{
    auto bit = [](AdvisorCheck c, bool fails) { return fails ? 1u << unsigned(c) : 0u; };
    auto same = [](const QString& a, const QString& b) { return !a.isEmpty() && a == b; };
    return bit(AdvisorCheck::Nome, e.nome.isEmpty()) | bit(AdvisorCheck::Titulacao, e.titulacao < 0)
           | bit(AdvisorCheck::Titulo, e.titulo.isEmpty())
           | bit(AdvisorCheck::PalavraChave, e.palavra1.isEmpty() && e.palavra2.isEmpty() && e.palavra3.isEmpty())
           | bit(AdvisorCheck::Palavras12, same(e.palavra1, e.palavra2))
           | bit(AdvisorCheck::Palavras13, same(e.palavra1, e.palavra3))
           | bit(AdvisorCheck::Palavras23, same(e.palavra2, e.palavra3)) | bit(AdvisorCheck::Area, e.subarea.isEmpty());
}

QString advisorCheckMessage(AdvisorCheck check)
{
    switch (check) {
    case AdvisorCheck::Nome:
        return QStringLiteral(" Nome do Orientador preenchimento obrigatório");
    case AdvisorCheck::Titulacao:
        return QStringLiteral("Titulação preenchimento obrigatório");
    case AdvisorCheck::Titulo:
        return QStringLiteral("Titulos preenchimento obrigatório");
    case AdvisorCheck::PalavraChave:
        return QStringLiteral("Palavra chave pelo menos uma deve ser preenchida");
    case AdvisorCheck::Palavras12:
        return QStringLiteral("Palavra chave 1 igual Palavra chave 2");
    case AdvisorCheck::Palavras13:
        return QStringLiteral("Palavra chave 1 igual Palavra chave 3");
    case AdvisorCheck::Palavras23:
        return QStringLiteral("Palavra chave 2 igual Palavra chave 3");
    case AdvisorCheck::Area:
        return QStringLiteral("Área preenchimento obrigatório");
    }
    return QString();
}

QString advisorEntryProblem(const AdvisorEntry& e)
{
    const unsigned failures = advisorEntryFailures(e);
    QString message;
    for (AdvisorCheck check : kAdvisorChecks)
        if (failures & (1u << unsigned(check)))
            message = advisorCheckMessage(check);
    return message;
}

int titulacaoItem(const QString& titulacao) { return titulacao == u"D" ? 0 : titulacao == u"M" ? 1 : -1; }

AdvisorEntry storedAdvisorEntry(const QString& nome, const QString& titulacao, const QString& titulo, const QString& palavra1,
                                const QString& palavra2, const QString& palavra3, const QString& subarea)
{
    return {nome, titulacaoItem(titulacao), titulo, palavra1, palavra2, palavra3, subarea};
}

QString areaCodeDigits(const QString& code)
{
    return code.mid(0, 1) + code.mid(2, 2) + code.mid(5, 2) + code.mid(8, 2) + code.mid(11, 1);
}

QString areaCodeFromDigits(const QString& d)
{
    return d.mid(0, 1) + u'.' + d.mid(1, 2) + u'.' + d.mid(3, 2) + u'.' + d.mid(5, 2) + u'-' + d.mid(7, 1);
}

const QStringList& categoriaCodes()
{
    static const QStringList codes{QStringLiteral("1A"), QStringLiteral("1B"), QStringLiteral("1C"),
                                   QStringLiteral("2A"), QStringLiteral("2B"), QStringLiteral("2C")};
    return codes;
}

namespace advisorText {

QString confirmDelete()
{
    return QStringLiteral("Tem certeza que deseja excluir ?\n\rEsta operação apagará todas as informações do orientador.");
}

QString cpfOfHolder(const QString& holderName)
{
    return QStringLiteral("CPF já utilizado pelo bolsista\n\r") + holderName + QStringLiteral("\n\r");
}

QString areaNotFound()
{
    return QStringLiteral("Código de Área Inexistente !!!\n\r\n\r"
                          "Você tem duas opções :\n\r"
                          "* digitar o código correto; ou\n\r"
                          "* selecionar a área através do botão \"Área\"");
}

} // namespace advisorText

} // namespace zelta
