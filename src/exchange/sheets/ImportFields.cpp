#include "exchange/sheets/SheetImport.h"

#include "exchange/sheets/CellValues.h"
#include "exchange/sheets/ImportRegister.h"
#include "platform/system/Error.h"

#include <QSet>

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

QString withoutParentheses(const QString& text)
{
    QString outside;
    int depth = 0;
    for (QChar c : text) {
        if (c == u'(' || c == u'[')
            ++depth;
        else if ((c == u')' || c == u']') && depth > 0)
            --depth;
        else if (depth == 0)
            outside += c;
    }
    return outside;
}

QString headingKey(const QString& heading)
{
    // Offices write hints in parentheses ("Sexo (F/M)", "Nascimento
    // (dd/mm/aaaa)") and both genders at once ("do(a) orientador(a)").
    // Compatibility decomposition: "Nº" is "No", accents come apart.
    const QString decomposed = withoutParentheses(heading).normalized(QString::NormalizationForm_KD);
    QStringList words{QString()};
    for (QChar c : decomposed) {
        if (c.isLetterOrNumber())
            words.last() += c.toLower();
        else if (c.category() != QChar::Mark_NonSpacing && !words.last().isEmpty())
            words.append(QString());
    }
    static const QSet<QString> particles{QStringLiteral("do"),    QStringLiteral("da"),  QStringLiteral("de"),
                                         QStringLiteral("dos"),   QStringLiteral("das"), QStringLiteral("n"),
                                         QStringLiteral("no"),    QStringLiteral("nr"),  QStringLiteral("num"),
                                         QStringLiteral("numero")};
    static const QHash<QString, QString> abbreviations{
        {QStringLiteral("dt"), QStringLiteral("data")},       {QStringLiteral("nasc"), QStringLiteral("nascimento")},
        {QStringLiteral("ag"), QStringLiteral("agencia")},    {QStringLiteral("cod"), QStringLiteral("codigo")},
        {QStringLiteral("tit"), QStringLiteral("titulo")},    {QStringLiteral("orient"), QStringLiteral("orientador")},
        {QStringLiteral("bols"), QStringLiteral("bolsista")}, {QStringLiteral("pesq"), QStringLiteral("pesquisador")},
        {QStringLiteral("sit"), QStringLiteral("situacao")},  {QStringLiteral("proc"), QStringLiteral("processo")},
        {QStringLiteral("cta"), QStringLiteral("conta")},     {QStringLiteral("pal"), QStringLiteral("palavra")},
        {QStringLiteral("p"), QStringLiteral("palavra")},     {QStringLiteral("categ"), QStringLiteral("categoria")},
        {QStringLiteral("tel"), QStringLiteral("telefone")},
    };
    QString key;
    for (const QString& w : std::as_const(words))
        if (!w.isEmpty() && !particles.contains(w))
            key += abbreviations.value(w, w);
    return key;
}

namespace {

QList<ImportField> holderFields()
{
    auto l = [](const char* s) { return QString::fromUtf8(s); };
    return {
        {FieldId::Cpf,
         l("CPF"),
         {l("CPF"), l("CPF do Bolsista"), l("CPF Bolsista"), l("CPF do Aluno"), l("CPF do Estudante")},
         l("CPF")},
        {FieldId::Nome,
         l("Nome"),
         {l("Nome"), l("Nome do Bolsista"), l("Bolsista"), l("Nome Completo"), l("Nome Completo do Bolsista"), l("Aluno"),
          l("Nome do Aluno"), l("Estudante"), l("Nome do Estudante")},
         l("Nome")},
        {FieldId::Sexo, l("Sexo"), {l("Sexo"), l("Gênero")}, l("SEXO")},
        {FieldId::Nascimento,
         l("Data de Nascimento"),
         {l("Data de Nascimento"), l("Nascimento"), l("Data Nascto")},
         l("DATA_NASCIMENTO")},
        {FieldId::Agencia,
         l("Código da Agência"),
         {l("Código da Agência"), l("Agência"), l("Código da Agência Bancária"), l("Agência Bancária")},
         l("CODIGO_AGENCIA")},
        {FieldId::CpfOrientador,
         l("CPF do Orientador"),
         {l("CPF do Orientador"), l("Orientador CPF"), l("CPF do Professor Orientador")},
         l("CPF_ORIENTADOR")},
        {FieldId::Projeto,
         l("Título do Projeto"),
         {l("Título do Projeto"), l("Projeto"), l("Título"), l("Projeto de Pesquisa")},
         l("NUMERO_ORIENTADOR")},
        {FieldId::Situacao, l("Situação"), {l("Situação")}, l("SITUACAO")},
        {FieldId::Processo, l("Processo"), {l("Processo"), l("Número do Processo")}, l("PROCESSO")},
        {FieldId::Demanda, l("Demanda"), {l("Demanda")}, l("DEMANDA")},
        {FieldId::Conta,
         l("Conta Bancária"),
         {l("Conta Bancária"), l("Conta"), l("Conta Corrente"), l("C/C"), l("Número da Conta")},
         l("CONTA_BANCO")},
    };
}

QList<ImportField> advisorFields()
{
    auto l = [](const char* s) { return QString::fromUtf8(s); };
    return {
        {FieldId::Codigo, l("Código"), {l("Código"), l("Código do Orientador")}, l("Codigo")},
        {FieldId::Cpf, l("CPF"), {l("CPF"), l("CPF do Orientador"), l("CPF do Professor")}, l("CPF")},
        {FieldId::Nome,
         l("Nome"),
         {l("Nome"), l("Nome do Orientador"), l("Orientador"), l("Nome Completo"), l("Nome Completo do Orientador"),
          l("Professor"), l("Nome do Professor")},
         l("NOME")},
        {FieldId::Titulacao, l("Titulação"), {l("Titulação"), l("Grau"), l("Maior Titulação")}, l("TITULACAO")},
        {FieldId::Titulo,
         l("Título do Projeto"),
         {l("Título do Projeto"), l("Projeto"), l("Título"), l("Projeto de Pesquisa")},
         l("TITULO")},
        {FieldId::Palavra1, l("Palavra Chave 1"), {l("Palavra Chave 1"), l("Palavra 1"), l("Chave 1")}, l("P_CHAVE1")},
        {FieldId::Palavra2, l("Palavra Chave 2"), {l("Palavra Chave 2"), l("Palavra 2"), l("Chave 2")}, l("P_CHAVE2")},
        {FieldId::Palavra3, l("Palavra Chave 3"), {l("Palavra Chave 3"), l("Palavra 3"), l("Chave 3")}, l("P_CHAVE3")},
        {FieldId::Area,
         l("Área"),
         {l("Área"), l("Código da Área"), l("Subárea"), l("Área do Conhecimento"), l("Código da Área do Conhecimento")},
         l("COD_AREA")},
        {FieldId::Pesquisador, l("Pesquisador do Orvu"), {l("Pesquisador do Orvu"), l("Pesquisador")}, l("PESQUISADOR")},
        {FieldId::Categoria, l("Categoria"), {l("Categoria")}, l("CATEGORIA")},
    };
}

QString quoted(const QString& text) { return QStringLiteral("\"%1\"").arg(text); }

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

HandMatch handMatch(ImportKind kind, const QString& option)
{
    const qsizetype equals = option.indexOf(u'=');
    const QString field = option.left(equals).trimmed();
    const QString heading = equals < 0 ? QString() : option.mid(equals + 1).trimmed();
    QStringList labels;
    for (const ImportField& f : importFields(kind))
        labels << f.label;
    if (equals < 0 || field.isEmpty() || heading.isEmpty())
        throw plat::Error::usage(QStringLiteral("A opção --coluna leva CAMPO=TÍTULO (o campo e o título da coluna na "
                                                "planilha), não \"%1\".")
                                     .arg(option));
    const QString key = headingKey(field);
    for (const ImportField& f : importFields(kind)) {
        bool named = headingKey(f.label) == key;
        for (const QString& h : f.headings)
            named = named || headingKey(h) == key;
        if (named)
            return {f.id, heading};
    }
    throw plat::Error::usage(QStringLiteral("--coluna: \"%1\" não é um campo de %2; os campos são: %3.")
                                 .arg(field,
                                      kind == ImportKind::Holders ? QStringLiteral("bolsista") : QStringLiteral("orientador"),
                                      labels.join(QStringLiteral(", "))));
}

Mapping matchHeadings(ImportKind kind, const SheetRow& heading, const QList<HandMatch>& hand)
{
    Mapping mapping;
    QSet<int> taken;
    const auto handColumn = [&](const QString& name) {
        for (int exact = 1; exact >= 0; --exact)
            for (int column = 0; column < heading.cells.size(); ++column) {
                const Cell& cell = heading.cells[column];
                if (cell.type != Cell::Type::Text || taken.contains(column))
                    continue;
                if (exact ? cell.text.trimmed().compare(name, Qt::CaseInsensitive) == 0
                          : headingKey(cell.text) == headingKey(name))
                    return column;
            }
        return -1;
    };
    for (const HandMatch& m : hand) {
        const int column = handColumn(m.heading);
        if (column >= 0 && !mapping.contains(m.field)) {
            mapping.insert(m.field, column);
            taken.insert(column);
        }
    }
    // Each field's headings as keys, worked out once for the row.
    QList<QPair<FieldId, QStringList>> keys;
    for (const ImportField& f : importFields(kind)) {
        keys.append({f.id, {}});
        for (const QString& h : f.headings)
            keys.last().second << headingKey(h);
    }
    for (int column = 0; column < heading.cells.size(); ++column) {
        const Cell& cell = heading.cells[column];
        if (cell.type != Cell::Type::Text || taken.contains(column))
            continue;
        const QString key = headingKey(cell.text);
        for (const auto& [id, named] : std::as_const(keys)) {
            if (!mapping.contains(id) && named.contains(key)) {
                mapping.insert(id, column);
                break;
            }
        }
    }
    return mapping;
}

namespace {

bool namesCpf(const Sheet& sheet, ImportKind kind, const QList<HandMatch>& hand)
{
    return !sheet.rows.isEmpty() && matchHeadings(kind, sheet.rows.first(), hand).contains(FieldId::Cpf);
}

// How a message names the sheet read: a CSV file is a sheet without a name
// of its own.
QString sheetNamed(const Workbook& book, const Sheet& sheet)
{
    return book.separator.isEmpty() ? QStringLiteral("A planilha %1").arg(quoted(sheet.name)) : QStringLiteral("O arquivo CSV");
}

// The workbook's sheets but the one read, as a message names them after a
// "; " (nothing for a CSV file).
QString otherSheets(const Workbook& book, const Sheet& read)
{
    if (!book.separator.isEmpty())
        return QString();
    QStringList others;
    for (const Sheet& s : book.sheets) {
        if (&s == &read)
            continue;
        QStringList marks;
        if (s.hidden)
            marks << QStringLiteral("oculta");
        if (s.rows.isEmpty())
            marks << QStringLiteral("vazia");
        others << quoted(s.name) + (marks.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(marks.join(QStringLiteral(", "))));
    }
    return others.isEmpty() ? QStringLiteral("; o arquivo não tem outra planilha")
                            : QStringLiteral("; outras planilhas do arquivo: %1").arg(others.join(QStringLiteral(", ")));
}

QString headingsOf(const SheetRow& row)
{
    QStringList shown;
    for (const Cell& c : row.cells)
        if (!c.isEmpty() && shown.size() <= 20)
            shown << (shown.size() < 20 ? quoted(shownOf(c)) : QStringLiteral("..."));
    return shown.isEmpty() ? QStringLiteral("nenhum título")
                           : QStringLiteral("títulos: %1").arg(shown.join(QStringLiteral(", ")));
}

} // namespace

int sheetWithCpf(const Workbook& book, std::optional<ImportKind> kind)
{
    for (int i = 0; i < book.sheets.size(); ++i) {
        const Sheet& s = book.sheets[i];
        if (s.hidden)
            continue;
        if (kind ? namesCpf(s, *kind, {}) : namesCpf(s, ImportKind::Holders, {}) || namesCpf(s, ImportKind::Advisors, {}))
            return i;
    }
    return -1;
}

QString headingProblem(const Workbook& book, const Sheet& sheet, const Mapping& mapping)
{
    if (sheet.rows.isEmpty())
        return QStringLiteral("%1 está %2%3.")
            .arg(sheetNamed(book, sheet), book.separator.isEmpty() ? QStringLiteral("vazia") : QStringLiteral("vazio"),
                 otherSheets(book, sheet));
    if (mapping.contains(FieldId::Cpf))
        return QString();
    return QStringLiteral("%1 não traz na linha %2, a dos títulos das colunas, uma coluna de CPF (%3)%4.")
        .arg(sheetNamed(book, sheet))
        .arg(sheet.rows.first().number)
        .arg(headingsOf(sheet.rows.first()), otherSheets(book, sheet));
}

const Sheet& importSheet(const Workbook& book, ImportKind kind, const QString& name, const QList<HandMatch>& hand)
{
    const Sheet* sheet = nullptr;
    if (!name.isEmpty()) {
        sheet = &book.sheet(name);
    } else {
        if (book.sheets.isEmpty())
            (void)book.sheet(name); // the reader's own message
        for (const Sheet& s : book.sheets)
            if (!sheet && !s.hidden && namesCpf(s, kind, hand))
                sheet = &s;
        // None names a CPF column: the message speaks of the first visible
        // sheet with rows, the one a reader of the file sees first.
        for (const Sheet& s : book.sheets)
            if (!sheet && !s.hidden && !s.rows.isEmpty())
                sheet = &s;
        if (!sheet)
            sheet = &book.sheets.first();
    }
    const bool others = book.sheets.size() > 1;
    const QString choose = others ? QStringLiteral(" Escolha a planilha com --planilha NOME.") : QString();
    if (sheet->rows.isEmpty())
        throw plat::Error::input(headingProblem(book, *sheet, {}) + choose);
    const Mapping mapping = matchHeadings(kind, sheet->rows.first(), hand);
    for (const HandMatch& m : hand)
        if (!mapping.contains(m.field))
            throw plat::Error::input(
                QStringLiteral("%1 não tem, na linha %2, a coluna %3 de --coluna (%4)%5.%6")
                    .arg(sheetNamed(book, *sheet))
                    .arg(sheet->rows.first().number)
                    .arg(quoted(m.heading), headingsOf(sheet->rows.first()), otherSheets(book, *sheet), choose));
    const QString problem = headingProblem(book, *sheet, mapping);
    if (!problem.isEmpty())
        throw plat::Error::input(problem
                                 + (others ? QStringLiteral(" Escolha a planilha com --planilha NOME, ou diga a coluna do CPF "
                                                            "com --coluna CPF=TÍTULO.")
                                           : QStringLiteral(" Diga a coluna do CPF com --coluna CPF=TÍTULO.")));
    return *sheet;
}

QString problemLine(const RowProblem& problem)
{
    QString message = problem.message;
    message.replace(QStringLiteral("\n\r"), QStringLiteral(" "));
    return QStringLiteral("linha %1: %2: %3").arg(problem.row).arg(problem.field, message.simplified());
}

QString changeText(const FieldChange& change)
{
    const auto shown = [](const QString& v) { return v.trimmed().isEmpty() ? QStringLiteral("(vazio)") : v.trimmed(); };
    return QStringLiteral("%1: %2 → %3").arg(change.field, shown(change.before), shown(change.after));
}

} // namespace zelta::sheets
