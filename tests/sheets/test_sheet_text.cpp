// Text from a spreadsheet enters the register as the entry forms let it in:
// composed, and with no character the agency's file cannot carry; a cell
// that holds one is a problem of its row and field.
#include "support/TestData.h"
#include "exchange/sheets/SheetImport.h"
#include "platform/db/Database.h"

#include <QTest>

using namespace zelta;
using namespace zelta::sheets;
using zelta::test::TestData;
using zelta::test::makeCpf;

namespace {

Sheet sheetOf(const QList<QStringList>& rows)
{
    Sheet sheet;
    sheet.name = QStringLiteral("Planilha1");
    for (const QStringList& cells : rows) {
        SheetRow row{int(sheet.rows.size()) + 1, {}};
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
    void holderNamesEnterComposedOrAreRefused()
    {
        TestData data;
        data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 100);
        const QString ori = makeCpf(401230567);
        data.addAdvisor(ori, QStringLiteral("HELENA"));
        auto row = [&](qint64 cpf, const QString& nome, const QString& agencia = QStringLiteral("1234")) {
            return QStringList{makeCpf(cpf), nome, QStringLiteral("F"), QStringLiteral("01/01/1980"), agencia, ori};
        };
        const QList<QStringList> rows{
            {QStringLiteral("CPF"), QStringLiteral("Nome"), QStringLiteral("Sexo"), QStringLiteral("Nascimento"),
             QStringLiteral("Agência"), QStringLiteral("CPF do Orientador")},
            row(200000001, QStringLiteral("E\u0301rica Conceic\u0327a\u0303o")),
            row(200000002, QStringLiteral("ANA\u0001")),
            row(200000003, QStringLiteral("JO") + QChar(u'\0') + QStringLiteral("O")),
            row(200000004, QStringLiteral("ŝARA")),
            row(200000005, QStringLiteral("BIA"), QStringLiteral("12\u00853")),
        };
        const ImportCheck check = checkImport(data.db(), ImportKind::Holders, sheetOf(rows));
        QCOMPARE(linesOf(check),
                 (QStringList{
                     QStringLiteral("linha 3: Nome: tem um caractere de controle (U+0001), que não pode ser gravado"),
                     QStringLiteral("linha 4: Nome: tem um caractere nulo (U+0000), que não pode ser gravado"),
                     QStringLiteral("linha 5: Nome: tem o caractere \"ŝ\" (U+015D), que não pode ser gravado"),
                     QStringLiteral(
                         "linha 6: Código da Agência: tem um caractere de controle (U+0085), que não pode ser gravado"),
                 }));
        // 21 characters as written, 15 once composed: within the size.
        QCOMPARE(check.records.first().first().toString(), QStringLiteral("ÉRICA CONCEIÇÃO"));

        const ImportCheck good = checkImport(data.db(), ImportKind::Holders, sheetOf(rows.mid(0, 2)));
        QVERIFY(good.problems.isEmpty());
        writeImport(data.dm(), good);
        QCOMPARE(data.db().scalar(QStringLiteral("SELECT Nome FROM ZELTABOL")).toString(), QStringLiteral("ÉRICA CONCEIÇÃO"));
    }

    void aTitleKeepsItsLineBreak()
    {
        TestData data;
        const QString area
            = data.db().scalar(QStringLiteral("SELECT CODIGO FROM GRANDE_A WHERE SUBAREA='FISICA DO SOLO'")).toString();
        auto row = [&](qint64 cpf, const QString& titulo, const QString& chave = QStringLiteral("solo")) {
            return QStringList{makeCpf(cpf), QStringLiteral("ANA"), QStringLiteral("D"), titulo, chave, area};
        };
        const QList<QStringList> rows{
            {QStringLiteral("CPF"), QStringLiteral("Nome"), QStringLiteral("Titulação"), QStringLiteral("Título"),
             QStringLiteral("Palavra Chave 1"), QStringLiteral("Área")},
            row(300000001, QStringLiteral("linha um\r\nlinha dois")),
            row(300000002, QStringLiteral("a\tb")),
            row(300000003, QStringLiteral("solos"), QStringLiteral("so\nlo")),
        };
        const ImportCheck check = checkImport(data.db(), ImportKind::Advisors, sheetOf(rows));
        QCOMPARE(linesOf(check),
                 (QStringList{
                     QStringLiteral(
                         "linha 3: Título do Projeto: tem um caractere de controle (U+0009), que não pode ser gravado"),
                     QStringLiteral("linha 4: Palavra Chave 1: tem uma quebra de linha (U+000A), que não pode ser gravada"),
                 }));

        const ImportCheck good = checkImport(data.db(), ImportKind::Advisors, sheetOf(rows.mid(0, 2)));
        QVERIFY(good.problems.isEmpty());
        writeImport(data.dm(), good);
        QCOMPARE(data.db().scalar(QStringLiteral("SELECT TITULO FROM ZELTAORI")).toString(),
                 QStringLiteral("LINHA UM\r\nLINHA DOIS"));
    }
};

QTEST_GUILESS_MAIN(TestSheetText)
#include "test_sheet_text.moc"
