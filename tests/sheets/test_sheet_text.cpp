// Text from a spreadsheet enters the register as the entry forms let it in:
// composed, and with no character the agency's file cannot carry; a cell
// that holds one is a problem of its row and field.
#include "support/TestData.h"
#include "exchange/sheets/SheetImport.h"
#include "platform/db/Database.h"

#include <QTest>

using namespace zelta;
using namespace zelta::sheets;
using zelta::test::makeCpf;

namespace {

// The heading row, then one row a person: the CPF and the given cells.
Sheet sheetOf(const QStringList& headings, const QList<QStringList>& rows)
{
    Sheet sheet;
    sheet.name = QStringLiteral("Planilha1");
    for (qsizetype i = 0; i <= rows.size(); ++i) {
        SheetRow row;
        row.number = int(i) + 1;
        const QStringList cells = i == 0 ? QStringList{QStringLiteral("CPF")} + headings
                                         : QStringList{makeCpf(200000000 + i)} + rows[i - 1];
        for (const QString& text : cells)
            row.cells.append(Cell::ofText(text));
        sheet.rows.append(row);
    }
    return sheet;
}

QStringList linesOf(const ImportCheck& check)
{
    QStringList lines;
    for (const RowProblem& p : check.problems)
        lines << problemLine(p);
    return lines;
}

} // namespace

class TestSheetText : public QObject {
    Q_OBJECT

private slots:
    void cellsEnterComposedOrAreRefused()
    {
        zelta::test::TestData data;
        data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 100);
        const QString ori = makeCpf(401230567);
        data.addAdvisor(ori, QStringLiteral("HELENA"));
        const QStringList holderHeadings{QStringLiteral("Nome"), QStringLiteral("Sexo"), QStringLiteral("Nascimento"),
                                         QStringLiteral("Agência"), QStringLiteral("CPF do Orientador")};
        auto holder = [&](const QString& nome, const QString& agencia = QStringLiteral("1234")) {
            return QStringList{nome, QStringLiteral("F"), QStringLiteral("01/01/1980"), agencia, ori};
        };
        const Sheet holders = sheetOf(holderHeadings, {holder(QStringLiteral("E\u0301rica Conceic\u0327a\u0303o")),
                                                       holder(QStringLiteral("ANA\u0001")),
                                                       holder(QStringLiteral("JO") + QChar(u'\0') + QStringLiteral("O")),
                                                       holder(QStringLiteral("BIA"), QStringLiteral("12\u00853"))});
        const ImportCheck check = checkImport(data.db(), ImportKind::Holders, holders);
        QCOMPARE(linesOf(check),
                 (QStringList{
                     QStringLiteral("linha 3: Nome: tem um caractere de controle (U+0001), que não pode ser gravado"),
                     QStringLiteral("linha 4: Nome: tem um caractere nulo (U+0000), que não pode ser gravado"),
                     QStringLiteral(
                         "linha 5: Código da Agência: tem um caractere de controle (U+0085), que não pode ser gravado"),
                 }));
        // 21 characters as written, 15 once composed: within the size.
        QCOMPARE(check.records.first().first().toString(), QStringLiteral("ÉRICA CONCEIÇÃO"));

        // A title may hold a line break (last year's file gives such titles,
        // and the export writes them); no other field may.
        const QString area
            = data.db().scalar(QStringLiteral("SELECT CODIGO FROM GRANDE_A WHERE SUBAREA='FISICA DO SOLO'")).toString();
        auto advisor = [&](const QString& titulo, const QString& chave = QStringLiteral("solo")) {
            return QStringList{QStringLiteral("ANA"), QStringLiteral("D"), titulo, chave, area};
        };
        const QStringList advisorHeadings{QStringLiteral("Nome"), QStringLiteral("Titulação"), QStringLiteral("Título"),
                                          QStringLiteral("Palavra Chave 1"), QStringLiteral("Área")};
        const QList<QStringList> rows{advisor(QStringLiteral("linha um\r\nlinha dois")), advisor(QStringLiteral("a\tb")),
                                      advisor(QStringLiteral("solos"), QStringLiteral("so\nlo"))};
        QCOMPARE(linesOf(checkImport(data.db(), ImportKind::Advisors, sheetOf(advisorHeadings, rows))),
                 (QStringList{
                     QStringLiteral(
                         "linha 3: Título do Projeto: tem um caractere de controle (U+0009), que não pode ser gravado"),
                     QStringLiteral("linha 4: Palavra Chave 1: tem uma quebra de linha (U+000A), que não pode ser gravada"),
                 }));
        const ImportCheck good = checkImport(data.db(), ImportKind::Advisors, sheetOf(advisorHeadings, rows.mid(0, 1)));
        QCOMPARE(linesOf(good), QStringList());
        writeImport(data.dm(), good);
        QCOMPARE(data.db().scalar(QStringLiteral("SELECT TITULO FROM ZELTAORI WHERE CPF<>?"), {ori}).toString(),
                 QStringLiteral("LINHA UM\r\nLINHA DOIS"));
    }
};

QTEST_GUILESS_MAIN(TestSheetText)
#include "test_sheet_text.moc"
