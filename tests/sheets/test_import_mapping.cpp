// How the import maps sheets as offices make them onto the register: headings
// and columns named by hand, the sheet chosen in a workbook, coded words and
// dates, the round trip through the export, a sheet imported twice, and the
// update of registered records.
#include "RealPrograms.h"

#include "support/Throws.h"
#include "support/CliRun.h"
#include "support/SourceTree.h"
#include "support/TestData.h"
#include "data/RegisterCopies.h"
#include "data/RowDigests.h"
#include "exchange/sheets/CellValues.h"
#include "exchange/sheets/SheetExport.h"
#include "exchange/sheets/SheetImport.h"
#include "exchange/sheets/SheetReaders.h"
#include "platform/db/Database.h"
#include "platform/system/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zelta;
using namespace zelta::sheets;
using zelta::test::errorOf;
using zelta::test::makeCpf;
using zelta::test::TestData;

Q_DECLARE_METATYPE(zelta::sheets::ImportKind)

namespace {

Sheet csvSheet(const QString& text) { return readCsv(text.toUtf8()).sheets.first(); }

Sheet namedSheet(const QString& name, const QString& csv, bool hidden = false)
{
    Sheet s = csv.isEmpty() ? Sheet{} : csvSheet(csv);
    s.name = name;
    s.hidden = hidden;
    return s;
}

QStringList lines(const ImportCheck& check)
{
    QStringList out;
    for (const RowProblem& p : check.problems)
        out << problemLine(p);
    for (const RecordUpdate& u : check.updates)
        for (const FieldChange& c : u.changes)
            out << QStringLiteral("linha %1: %2").arg(u.row).arg(changeText(c));
    return out;
}

// Every cell of a file's first sheet as text, row by row.
QStringList cellsOf(const QString& path)
{
    QStringList out;
    const Workbook book = readWorkbook(path);
    for (const SheetRow& r : book.sheets.first().rows) {
        QStringList row;
        for (const Cell& c : r.cells)
            row << (c.type == Cell::Type::Date ? c.date.toString(Qt::ISODate) : textOf(c));
        out << row.join(u'|');
    }
    return out;
}

void writeFile(const QString& path, const QString& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

ImportResult importFile(TDm_Dados& dm, ImportKind kind, const QString& path, bool update = false)
{
    ImportOptions options;
    options.update = update;
    const ImportCheck check = checkImport(dm.database(), kind, readWorkbook(path).sheets.first(), options);
    if (!check.problems.isEmpty())
        throw plat::Error::input(problemLine(check.problems.first()));
    return writeImport(dm, check);
}

} // namespace

class TestImportMapping : public QObject {
    Q_OBJECT
private slots:
    void headingsAsOfficesWriteThem_data();
    void headingsAsOfficesWriteThem();
    void columnsNamedByHand();
    void sheetChosenInAWorkbook();
    void codedWordsDatesAndBranches();
    void roundTripOfTheSampleRegister();
    void aSheetImportedTwiceAddsNothing();
    void updateChangesOnlyWhatTheSheetHolds();
    void updateKeepsTheQuotaAndTheFormRules();
    void updateFromTheCommandLine();

private:
    QTemporaryDir m_tmp;
};

void TestImportMapping::headingsAsOfficesWriteThem_data()
{
    QTest::addColumn<ImportKind>("kind");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<int>("field"); // -1: none
    const auto row = [](ImportKind kind, const char* heading, int field) {
        QTest::newRow(heading) << kind << QString::fromUtf8(heading) << field;
    };
    const ImportKind h = ImportKind::Holders, a = ImportKind::Advisors;
    row(h, "Sexo (F/M)", int(FieldId::Sexo));
    row(h, "CPF do(a) orientador(a)", int(FieldId::CpfOrientador));
    row(h, "CPF do(a) bolsista", int(FieldId::Cpf));
    row(h, "Nº do CPF", int(FieldId::Cpf));
    row(h, "Nome do(a) Bolsista", int(FieldId::Nome));
    row(h, "Dt. Nasc.", int(FieldId::Nascimento));
    row(h, "Data Nasc.", int(FieldId::Nascimento));
    row(h, "Nasc.", int(FieldId::Nascimento));
    row(h, "DATA DE NASCIMENTO (dd/mm/aaaa)", int(FieldId::Nascimento));
    row(h, "Ag.", int(FieldId::Agencia));
    row(h, "Agência", int(FieldId::Agencia));
    row(h, "Cód. da Agência", int(FieldId::Agencia));
    row(h, "Conta Bancária", int(FieldId::Conta));
    row(h, "C/C", int(FieldId::Conta));
    row(h, "Processo", int(FieldId::Processo));
    row(h, "Demanda", int(FieldId::Demanda));
    row(h, "Situação", int(FieldId::Situacao));
    row(h, "Título do Projeto", int(FieldId::Projeto));
    row(h, "Orientador", -1); // the advisor's name, which the export writes beside the CPF
    row(h, "Código", -1);
    row(h, "E-mail", -1);
    row(a, "Orientador(a)", int(FieldId::Nome));
    row(a, "CPF do(a) orientador(a)", int(FieldId::Cpf));
    row(a, "Titulação (D/M)", int(FieldId::Titulacao));
    row(a, "Código", int(FieldId::Codigo));
    row(a, "Código da Área", int(FieldId::Area));
    row(a, "Palavra-chave 1", int(FieldId::Palavra1));
    row(a, "P. Chave 2", int(FieldId::Palavra2));
    row(a, "Pesquisador do Orvu? (S/N)", int(FieldId::Pesquisador));
    row(a, "Sexo", -1);
}

void TestImportMapping::headingsAsOfficesWriteThem()
{
    QFETCH(ImportKind, kind);
    QFETCH(QString, heading);
    QFETCH(int, field);
    const Mapping m = matchHeadings(kind, SheetRow{1, {Cell::ofText(QStringLiteral("?")), Cell::ofText(heading)}});
    QCOMPARE(m.size(), field < 0 ? 0 : 1);
    if (field >= 0)
        QCOMPARE(m.value(FieldId(field), -1), 1);
}

void TestImportMapping::columnsNamedByHand()
{
    QCOMPARE(handMatch(ImportKind::Holders, QStringLiteral("data de nascimento = Quando")).field, FieldId::Nascimento);
    QCOMPARE(handMatch(ImportKind::Holders, QStringLiteral("Nasc.=Quando")).heading, QStringLiteral("Quando"));
    QVERIFY(
        errorOf([] { handMatch(ImportKind::Holders, QStringLiteral("Peso=P")); }).contains(QStringLiteral("Data de Nascimento")));
    QVERIFY(!errorOf([] { handMatch(ImportKind::Holders, QStringLiteral("Nascimento")); }).isEmpty());
    // A column named by hand wins over one whose heading names the field.
    const SheetRow heading{1,
                           {Cell::ofText(QStringLiteral("Documento")), Cell::ofText(QStringLiteral("CPF")),
                            Cell::ofText(QStringLiteral("quando"))}};
    const Mapping m = matchHeadings(ImportKind::Holders, heading,
                                    {{FieldId::Cpf, QStringLiteral("Documento")},
                                     {FieldId::Nascimento, QStringLiteral("Quando")}});
    QCOMPARE(m.value(FieldId::Cpf), 0);
    QCOMPARE(m.value(FieldId::Nascimento), 2);

    // From the command line.
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 10);
    const QString ori = makeCpf(401230567);
    data.addAdvisor(ori, QStringLiteral("HELENA"));
    data.dm().database().close();
    const QString file = m_tmp.filePath(QStringLiteral("mao.csv"));
    writeFile(file, QStringLiteral("Documento;Nome;Sexo;Quando;Agência;CPF do Orientador\n%1;ANA;F;1/1/80;1234;%2\n")
                        .arg(makeCpf(500000001), ori));
    const auto run = [&](QStringList extra) {
        return test::runCommand(
            QStringList{QStringLiteral("importar"), QStringLiteral("bolsistas"), file, QStringLiteral("--dados"), data.dir()}
            << extra);
    };
    test::CliRun r = run({});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(QStringLiteral("O arquivo CSV não traz na linha 1, a dos títulos das colunas, uma coluna de CPF "
                                           "(títulos: \"Documento\", \"Nome\", \"Sexo\", \"Quando\"")),
             qPrintable(r.err));
    QVERIFY(r.err.contains(QStringLiteral("--coluna CPF=TÍTULO")));
    r = run({QStringLiteral("--coluna"), QStringLiteral("CPF=Documento"), QStringLiteral("--coluna"), QStringLiteral("Nada=X")});
    QCOMPARE(r.code, 2);
    r = run({QStringLiteral("--coluna=CPF=Documento"), QStringLiteral("--coluna"), QStringLiteral("Nascimento=Nunca")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(QStringLiteral("não tem, na linha 1, a coluna \"Nunca\"")), qPrintable(r.err));
    r = run({QStringLiteral("--coluna=CPF=Documento"), QStringLiteral("--coluna"), QStringLiteral("Nascimento=Quando")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("1 bolsista(s) importados.\n"));
}

void TestImportMapping::sheetChosenInAWorkbook()
{
    const QString holders = QStringLiteral("CPF;Nome\n1;A\n");
    Workbook book;
    book.sheets = {namedSheet(QStringLiteral("Modelo"), holders, true), namedSheet(QStringLiteral("Capa"), QString()),
                   namedSheet(QStringLiteral("Notas"), QStringLiteral("Aviso\nnada\n")),
                   namedSheet(QStringLiteral("Dados"), holders)};
    // The first visible sheet whose heading row names a CPF column.
    QCOMPARE(importSheet(book, ImportKind::Holders, QString()).name, QStringLiteral("Dados"));
    QCOMPARE(sheetWithCpf(book, std::nullopt), 3);
    QCOMPARE(importSheet(book, ImportKind::Holders, QStringLiteral("Modelo")).name, QStringLiteral("Modelo"));
    // Named, or taken for lack of a better one, a sheet that cannot be read
    // is named with the others and how to choose.
    QString e = errorOf([&] { importSheet(book, ImportKind::Holders, QStringLiteral("Notas")); });
    QCOMPARE(e, QStringLiteral("A planilha \"Notas\" não traz na linha 1, a dos títulos das colunas, uma coluna de CPF "
                               "(títulos: \"Aviso\"); outras planilhas do arquivo: \"Modelo\" (oculta), \"Capa\" (vazia), "
                               "\"Dados\". Escolha a planilha com --planilha NOME, ou diga a coluna do CPF com "
                               "--coluna CPF=TÍTULO."));
    e = errorOf([&] { importSheet(book, ImportKind::Holders, QStringLiteral("Capa")); });
    QVERIFY2(e.startsWith(QStringLiteral("A planilha \"Capa\" está vazia; outras planilhas do arquivo: \"Modelo\" (oculta)")),
             qPrintable(e));
    QVERIFY(e.endsWith(QStringLiteral("--planilha NOME.")));
    book.sheets.removeLast();
    e = errorOf([&] { importSheet(book, ImportKind::Holders, QString()); });
    QVERIFY2(e.startsWith(QStringLiteral("A planilha \"Notas\" não traz")), qPrintable(e));
    QCOMPARE(sheetWithCpf(book, std::nullopt), -1);

    // A workbook written by a spreadsheet program, its first sheet empty.
    if (test::pythonWithOpenpyxl().isEmpty())
        QSKIP("python3-openpyxl is not installed");
    const QString path = m_tmp.filePath(QStringLiteral("capa.xlsx"));
    test::runPython(QStringLiteral(R"(
import sys, openpyxl
wb = openpyxl.Workbook()
wb.active.title = "Capa"
ws = wb.create_sheet("Bolsistas")
ws.append(["CPF", "Nome"])
ws.append(["111.111.111-11", "A"])
wb.save(sys.argv[1])
)"),
                    {path});
    QCOMPARE(importSheet(readWorkbook(path), ImportKind::Holders, QString()).name, QStringLiteral("Bolsistas"));
}

void TestImportMapping::codedWordsDatesAndBranches()
{
    const QDate today(2024, 6, 1);
    const QDate march14(2001, 3, 14);
    for (const char* text : {"2001-03-14 00:00:00", "14/03/2001 00:00", "2001-03-14T00:00:00", "14/3/2001 0:00"})
        QCOMPARE(dateOf(Cell::ofText(QString::fromUtf8(text)), today), std::optional<QDate>(march14));
    for (const char* text : {"2001-03-14 12:30:00", "14/03/2001 00:01"})
        QVERIFY2(!dateOf(Cell::ofText(QString::fromUtf8(text)), today), text);
    QVERIFY(!dateOf(Cell::ofNumber(36964), today)); // a bare number is never taken for a date
    QCOMPARE(agenciaOf(Cell::ofNumber(452)), QStringLiteral("0452"));
    QCOMPARE(agenciaOf(Cell::ofText(QStringLiteral("452"))), QStringLiteral("0452"));
    QCOMPARE(agenciaOf(Cell::ofText(QStringLiteral("0452-1"))), QStringLiteral("0452-1"));
    QCOMPARE(agenciaOf(Cell::ofNumber(12345)), QStringLiteral("12345"));

    TestData data;
    const QString csv = QStringLiteral("CPF;Nome;Titulação;Título;Palavra Chave 1;Área\n")
                        + QStringLiteral("%1;A;Doutora;T1;X;1.01.00.00-8\n%1;A;Doutor(a);T2;X;1.01.00.00-8\n"
                                         "%1;A;Dr.;T3;X;1.01.00.00-8\n%1;A;Mestra;T4;X;1.01.00.00-8\n"
                                         "%1;A;Ms.;T5;X;1.01.00.00-8\n%1;A;Doutoranda;T6;X;1.01.00.00-8\n")
                              .arg(makeCpf(300000001));
    const ImportCheck check = checkImport(data.db(), ImportKind::Advisors, csvSheet(csv));
    QStringList degrees;
    for (const QVariantList& r : check.records)
        degrees << r[2].toString();
    QCOMPARE(degrees.join(QString()), QStringLiteral("DDDMM"));
    QCOMPARE(lines(check), QStringList{QStringLiteral("linha 7: Titulação: \"Doutoranda\" não é D (Doutor) nem M (Mestre)")});

    if (test::pythonWithOpenpyxl().isEmpty())
        QSKIP("python3-openpyxl is not installed");
    // A date kept with its time, and a branch typed as a number.
    const QString path = m_tmp.filePath(QStringLiteral("hora.xlsx"));
    test::runPython(QStringLiteral(R"(
import sys, datetime, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.append(["CPF", "Nascimento", "Agência"])
ws.append(["111.111.111-11", datetime.datetime(2001, 3, 14, 0, 0), 452])
wb.save(sys.argv[1])
)"),
                    {path});
    const SheetRow row = readWorkbook(path).sheets.first().rows.at(1);
    QCOMPARE(dateOf(row.cell(1), today), std::optional<QDate>(march14));
    QCOMPARE(agenciaOf(row.cell(2)), QStringLiteral("0452"));
}

void TestImportMapping::roundTripOfTheSampleRegister()
{
    const QString sample = test::sourceDir() + QStringLiteral("/resources/exemplo/EXEMPLO.TEX");
    QTemporaryDir from;
    QCOMPARE(test::runCommand({QStringLiteral("recuperar"), sample, QStringLiteral("--dados"), from.path()}).code, 0);
    TDm_Dados recovered(from.path());
    TestData empty;
    empty.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 1000);
    for (const QString& ext : {QStringLiteral("xlsx"), QStringLiteral("ods"), QStringLiteral("csv")}) {
        const QString advisors = m_tmp.filePath(QStringLiteral("ida-orientadores.") + ext);
        const QString holders = m_tmp.filePath(QStringLiteral("ida-bolsistas.") + ext);
        QVERIFY(exportList(recovered, ExportList::Advisors, advisors) > 0);
        QVERIFY(exportList(recovered, ExportList::Holders, holders) > 0);
        TestData back;
        back.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 1000);
        for (const auto& [kind, path] : {std::pair{ImportKind::Advisors, advisors}, {ImportKind::Holders, holders}}) {
            const QString e = errorOf([&] { QVERIFY(importFile(back.dm(), kind, path).added > 0); });
            QVERIFY2(e.isEmpty(), qPrintable(e));
        }
        const QString advisorsBack = m_tmp.filePath(QStringLiteral("volta-orientadores.") + ext);
        const QString holdersBack = m_tmp.filePath(QStringLiteral("volta-bolsistas.") + ext);
        exportList(back.dm(), ExportList::Advisors, advisorsBack);
        exportList(back.dm(), ExportList::Holders, holdersBack);
        QCOMPARE(cellsOf(advisorsBack), cellsOf(advisors));
        QCOMPARE(cellsOf(holdersBack), cellsOf(holders));
    }
}

void TestImportMapping::aSheetImportedTwiceAddsNothing()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 10);
    const QString ori = makeCpf(401230567);
    data.addAdvisor(ori, QStringLiteral("HELENA"), QStringLiteral("D"), QStringLiteral("SOLOS"));
    // A second project of the same person is a new record; the same project,
    // written in other case and accents, is not, nor is a row repeated.
    const QString csv = QStringLiteral("CPF;Nome;Titulação;Título do Projeto;Palavra Chave 1;Área\n"
                                       "%1;HELENA;D;Água;X;1.01.00.00-8\n%1;HELENA;D;solos;X;1.01.00.00-8\n"
                                       "%1;HELENA;D;AGUA;Y;1.01.00.00-8\n")
                            .arg(ori);
    ImportCheck check = checkImport(data.db(), ImportKind::Advisors, csvSheet(csv));
    QCOMPARE(lines(check),
             (QStringList{QStringLiteral("linha 3: CPF: orientador já cadastrado com este projeto"),
                          QStringLiteral("linha 4: CPF: orientador repetido com este projeto: já está na linha 2")}));
    const QString file = m_tmp.filePath(QStringLiteral("duas-vezes.csv"));
    writeFile(file, QStringLiteral("CPF;Nome;Titulação;Título do Projeto;Palavra Chave 1;Área\n%1;HELENA;D;ÁGUA;X;1.01.00.00-8\n")
                        .arg(ori));
    QCOMPARE(importFile(data.dm(), ImportKind::Advisors, file).added, 1);
    check = checkImport(data.db(), ImportKind::Advisors, readWorkbook(file).sheets.first());
    QCOMPARE(lines(check), QStringList{QStringLiteral("linha 2: CPF: orientador já cadastrado com este projeto")});
    QCOMPARE(data.count(QStringLiteral("ZELTAORI")), 2);
}

void TestImportMapping::updateChangesOnlyWhatTheSheetHolds()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 10);
    const QString ori = makeCpf(401230567);
    const qint64 solos = data.addAdvisor(ori, QStringLiteral("HELENA"), QStringLiteral("D"), QStringLiteral("SOLOS"),
                                         QStringLiteral("10100008"));
    const qint64 agua = data.addAdvisor(ori, QStringLiteral("HELENA"), QStringLiteral("D"), QStringLiteral("ÁGUA"),
                                        QStringLiteral("10100008"));
    const QString ana = makeCpf(500000001), bia = makeCpf(500000002), caio = makeCpf(500000003);
    data.addHolder(QStringLiteral("ANA"), ana, QStringLiteral("Novo"), ori, solos);
    data.addHolder(QStringLiteral("BIA"), bia, QStringLiteral("Renovado"), ori, solos);
    // Ana: a new branch and account, her sex cell empty (kept), her project
    // changed; Bia as she is; Caio new.
    const QString csv = QStringLiteral("CPF;Sexo;Agência;Conta Bancária;Título do Projeto;Nome;Nascimento;CPF do Orientador\n"
                                       "%1;;452;12345-6;água;;;\n%2;F;1234-5;;;;;\n%3;M;0001-9;;solos;CAIO;2/2/82;%4\n")
                            .arg(ana, bia, caio, ori);
    ImportOptions options;
    options.update = true;
    const ImportCheck check = checkImport(data.db(), ImportKind::Holders, csvSheet(csv), options);
    QCOMPARE(lines(check), (QStringList{QStringLiteral("linha 2: Código da Agência: 1234-5 → 0452"),
                                        QStringLiteral("linha 2: Título do Projeto: SOLOS → ÁGUA"),
                                        QStringLiteral("linha 2: Conta Bancária: (vazio) → 12345-6")}));
    QCOMPARE(check.unchangedRows, QList<int>{3});
    QCOMPARE(check.recordRows, QList<int>{4});
    const quint64 before = contentFingerprint(data.db());
    const ImportResult r = writeImport(data.dm(), check);
    QCOMPARE(r.added, 1);
    QCOMPARE(r.updated, 1);
    QCOMPARE(RegisterCopies::describeFile(r.backupFile).reason, CopyReason::BeforeImport);
    QVERIFY(before != contentFingerprint(data.db()));
    plat::db::Statement st = data.db().prepare(QStringLiteral(
        "SELECT SEXO, CODIGO_AGENCIA, CONTA_BANCO, NUMERO_ORIENTADOR, SITUACAO, Nome FROM ZELTABOL WHERE CPF = ?"));
    st.bind(1, ana);
    QVERIFY(st.step());
    QCOMPARE(st.text(0) + st.text(1) + st.text(2) + u'|' + QString::number(st.int64(3)) + st.text(4) + st.text(5),
             QStringLiteral("F045212345-6|%1NovoANA").arg(agua));
    // Written through the program's own connection: every digest agrees and
    // the register passes its full check.
    QVERIFY(findOutsideChanges(data.db()).isEmpty());
    data.dm().checkRegister();

    // Advisors: by CPF and project; the title's accents follow the sheet.
    const QString adv = QStringLiteral("CPF;Título do Projeto;Titulação;Nome;Pesquisador;Categoria\n"
                                       "%1;AGUA;Mestra;HELENA SOUZA;Sim;1a\n")
                            .arg(ori);
    const ImportCheck a = checkImport(data.db(), ImportKind::Advisors, csvSheet(adv), options);
    QCOMPARE(lines(a), (QStringList{QStringLiteral("linha 2: Nome: HELENA → HELENA SOUZA"),
                                    QStringLiteral("linha 2: Titulação: Doutor → Mestre"),
                                    QStringLiteral("linha 2: Título do Projeto: ÁGUA → AGUA"),
                                    QStringLiteral("linha 2: Pesquisador do Orvu: Não → Sim"),
                                    QStringLiteral("linha 2: Categoria: (vazio) → 1A")}));
    QCOMPARE(a.updates.first().record, agua);
    writeImport(data.dm(), a);
    QVERIFY(findOutsideChanges(data.db()).isEmpty());
    QCOMPARE(data.count(QStringLiteral("ZELTAORI")), 2);
}

void TestImportMapping::updateKeepsTheQuotaAndTheFormRules()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 2);
    const QString ori = makeCpf(401230567);
    const qint64 codigo = data.addAdvisor(ori, QStringLiteral("HELENA"));
    const QString novo = makeCpf(600000001), renovado = makeCpf(600000002), excluido = makeCpf(600000003),
                  semData = makeCpf(600000004);
    data.addHolder(QStringLiteral("N"), novo, QStringLiteral("Novo"), ori, codigo);
    data.addHolder(QStringLiteral("R"), renovado, QStringLiteral("RN"), ori, codigo);
    data.addHolder(QStringLiteral("E"), excluido, QStringLiteral("Excluído"), ori, codigo);
    data.addHolder(QStringLiteral("S"), semData, QStringLiteral("Excluído"), ori, codigo, QStringLiteral("F"), QDate());
    // The quota is full: the two counted stay one each, an excluded holder
    // renewed would be a third; one without a birth date stays refused as
    // the form refuses it.
    const QString csv = QStringLiteral("CPF;Situação;Agência\n%1;Novo;1111-1\n%2;Renovado;2222-2\n%3;Renovado;\n%4;;3333-3\n")
                            .arg(novo, renovado, excluido, semData);
    ImportOptions options;
    options.update = true;
    const ImportCheck check = checkImport(data.db(), ImportKind::Holders, csvSheet(csv), options);
    QCOMPARE(check.problems.size(), 2);
    QCOMPARE(problemLine(check.problems[0]), QStringLiteral("linha 4: Situação: Limite Máximo de Cotas Alcançado"));
    QCOMPARE(problemLine(check.problems[1]), QStringLiteral("linha 5: Data de Nascimento: Data de nascimento campo obrigatório"));
    // Without the update, a registered holder is a problem as before.
    const ImportCheck plain = checkImport(data.db(), ImportKind::Holders, csvSheet(csv));
    QVERIFY(problemLine(plain.problems.first()).startsWith(QStringLiteral("linha 2: CPF: CPF já utilizado pelo bolsista")));
}

void TestImportMapping::updateFromTheCommandLine()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 10);
    const QString ori = makeCpf(401230567);
    const qint64 codigo = data.addAdvisor(ori, QStringLiteral("HELENA"));
    const QString ana = makeCpf(500000001);
    data.addHolder(QStringLiteral("ANA"), ana, QStringLiteral("Novo"), ori, codigo);
    data.dm().database().close();
    const QString file = m_tmp.filePath(QStringLiteral("banco.csv"));
    writeFile(file, QStringLiteral("CPF;Agência\n%1;452\n").arg(ana));
    const auto run = [&](QStringList extra) {
        return test::runCommand(
            QStringList{QStringLiteral("importar"), QStringLiteral("bolsistas"), file, QStringLiteral("--dados"), data.dir()}
            << extra);
    };
    test::CliRun r = run({});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.startsWith(QStringLiteral("linha 2: CPF: CPF já utilizado pelo bolsista ANA")));
    r = run({QStringLiteral("--atualizar"), QStringLiteral("--simular")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("linha 2: Código da Agência: 1234-5 → 0452\n"
                                   "Nenhum problema: 0 bolsista(s) seriam importados e 1 atualizados.\n"));
    QVERIFY(RegisterCopies::list(data.dir()).isEmpty());
    r = run({QStringLiteral("--atualizar")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.endsWith(QStringLiteral("0 bolsista(s) importados e 1 atualizados.\n")));
    QCOMPARE(RegisterCopies::list(data.dir()).size(), 1);
    // Once more: nothing left to change, nothing written, no copy.
    r = run({QStringLiteral("--atualizar")});
    QCOMPARE(r.out, QStringLiteral("0 bolsista(s) importados e 0 atualizados (1 já como na planilha).\n"));
    QCOMPARE(RegisterCopies::list(data.dir()).size(), 1);
    TDm_Dados dm(data.dir());
    QCOMPARE(dm.database().scalar(QStringLiteral("SELECT CODIGO_AGENCIA FROM ZELTABOL")).toString(), QStringLiteral("0452"));
}

QTEST_GUILESS_MAIN(TestImportMapping)
#include "test_import_mapping.moc"
