#include "advisors/AdvisorRules.h"

namespace zelta {

QString advisorEntryProblem(const AdvisorEntry& e)
{
    QString message;
    if (e.nome.isEmpty())
        message = QStringLiteral(" Nome do Orientador preenchimento obrigatório");
    if (e.titulacao < 0)
        message = QStringLiteral("Titulação preenchimento obrigatório");
    if (e.titulo.isEmpty())
        message = QStringLiteral("Titulos preenchimento obrigatório");
    if (e.palavra1.isEmpty() && e.palavra2.isEmpty() && e.palavra3.isEmpty())
        message = QStringLiteral("Palavra chave pelo menos uma deve ser preenchida");
    if (!e.palavra1.isEmpty() && e.palavra1 == e.palavra2)
        message = QStringLiteral("Palavra chave 1 igual Palavra chave 2");
    if (!e.palavra1.isEmpty() && e.palavra1 == e.palavra3)
        message = QStringLiteral("Palavra chave 1 igual Palavra chave 3");
    if (!e.palavra2.isEmpty() && e.palavra2 == e.palavra3)
        message = QStringLiteral("Palavra chave 2 igual Palavra chave 3");
    if (e.subarea.isEmpty())
        message = QStringLiteral("Área preenchimento obrigatório");
    return message;
}

QString areaCodeDigits(const QString& code)
{
    return code.mid(0, 1) + code.mid(2, 2) + code.mid(5, 2) + code.mid(8, 2) + code.mid(11, 1);
}

QString areaCodeFromDigits(const QString& d)
{
    return d.mid(0, 1) + u'.' + d.mid(1, 2) + u'.' + d.mid(3, 2) + u'.' + d.mid(5, 2) + u'-' + d.mid(7, 1);
}

QString upperAsciiLetters(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    return out;
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
