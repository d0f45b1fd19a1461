#include "exchange/sheets/SheetImport.h"

namespace zelta::sheets {

QString foldHeading(const QString& heading)
{
    const QString decomposed = heading.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (c.isLetterOrNumber())
            folded += c.toLower();
    return folded;
}

namespace {

QList<ImportField> holderFields()
{
    auto l = [](const char* s) { return QString::fromUtf8(s); };
    return {
        {FieldId::Cpf, l("CPF"), {l("CPF"), l("CPF do Bolsista"), l("CPF Bolsista"), l("Nº CPF"), l("Número do CPF")}},
        {FieldId::Nome,
         l("Nome"),
         {l("Nome"), l("Nome do Bolsista"), l("Bolsista"), l("Nome Completo"), l("Aluno"), l("Nome do Aluno")}},
        {FieldId::Sexo, l("Sexo"), {l("Sexo"), l("Gênero")}},
        {FieldId::Nascimento,
         l("Data de Nascimento"),
         {l("Data de Nascimento"), l("Nascimento"), l("Dt. Nasc."), l("Data Nasc."), l("Dt. Nascimento"), l("Data Nascimento")}},
        {FieldId::Agencia,
         l("Código da Agência"),
         {l("Código da Agência"), l("Agência"), l("Código da Agência Bancária"), l("Cód. Agência"), l("Agência Bancária")}},
        {FieldId::CpfOrientador, l("CPF do Orientador"), {l("CPF do Orientador"), l("CPF Orientador"), l("Orientador CPF")}},
        {FieldId::Projeto, l("Título do Projeto"), {l("Título do Projeto"), l("Projeto"), l("Título")}},
        {FieldId::Situacao, l("Situação"), {l("Situação")}},
    };
}

QList<ImportField> advisorFields()
{
    auto l = [](const char* s) { return QString::fromUtf8(s); };
    return {
        {FieldId::Cpf, l("CPF"), {l("CPF"), l("CPF do Orientador"), l("Nº CPF"), l("Número do CPF")}},
        {FieldId::Nome, l("Nome"), {l("Nome"), l("Nome do Orientador"), l("Orientador"), l("Nome Completo")}},
        {FieldId::Titulacao, l("Titulação"), {l("Titulação"), l("Grau")}},
        {FieldId::Titulo, l("Título do Projeto"), {l("Título do Projeto"), l("Projeto"), l("Título")}},
        {FieldId::Palavra1, l("Palavra Chave 1"), {l("Palavra Chave 1"), l("Palavra 1"), l("Chave 1")}},
        {FieldId::Palavra2, l("Palavra Chave 2"), {l("Palavra Chave 2"), l("Palavra 2"), l("Chave 2")}},
        {FieldId::Palavra3, l("Palavra Chave 3"), {l("Palavra Chave 3"), l("Palavra 3"), l("Chave 3")}},
        {FieldId::Area, l("Área"), {l("Área"), l("Código da Área"), l("Subárea"), l("Área do Conhecimento"), l("Cód. Área")}},
        {FieldId::Pesquisador, l("Pesquisador do Orvu"), {l("Pesquisador do Orvu"), l("Pesquisador")}},
        {FieldId::Categoria, l("Categoria"), {l("Categoria")}},
    };
}

} // namespace

const QList<ImportField>& importFields(ImportKind kind)
{
    static const QList<ImportField> holders = holderFields();
    static const QList<ImportField> advisors = advisorFields();
    return kind == ImportKind::Holders ? holders : advisors;
}

QString fieldLabel(ImportKind kind, FieldId id)
{
    for (const ImportField& f : importFields(kind))
        if (f.id == id)
            return f.label;
    return QString();
}

Mapping matchHeadings(ImportKind kind, const SheetRow& heading)
{
    Mapping mapping;
    for (int column = 0; column < heading.cells.size(); ++column) {
        const Cell& cell = heading.cells[column];
        if (cell.type != Cell::Type::Text)
            continue;
        const QString folded = foldHeading(cell.text);
        for (const ImportField& f : importFields(kind)) {
            if (mapping.contains(f.id))
                continue;
            bool named = false;
            for (const QString& h : f.headings)
                named = named || foldHeading(h) == folded;
            if (named) {
                mapping.insert(f.id, column);
                break;
            }
        }
    }
    return mapping;
}

QString problemLine(const RowProblem& problem)
{
    QString message = problem.message;
    message.replace(QStringLiteral("\n\r"), QStringLiteral(" "));
    return QStringLiteral("linha %1: %2: %3").arg(problem.row).arg(problem.field, message.simplified());
}

} // namespace zelta::sheets
