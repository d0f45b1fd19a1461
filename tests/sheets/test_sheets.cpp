#include "RealPrograms.h"

#include "support/Throws.h"
#include "support/CliRun.h"
#include "support/InChild.h"
#include "support/TestData.h"
#include "exchange/sheets/SheetExport.h"
#include "exchange/sheets/SheetImport.h"
#include "exchange/sheets/SheetReaders.h"
#include "exchange/sheets/SheetWriter.h"
#include "data/RowDigests.h"
#include "platform/db/Database.h"
#include "platform/system/Cp1252.h"
#include "platform/system/Error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace zelta;
using namespace zelta::sheets;
using zelta::test::errorOf;
using zelta::test::TestData;
using zelta::test::killedAtStep;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

// A sheet's cells as text, "row:col=value" for each cell, to compare readers.
QStringList cellsOf(const Sheet& sheet)
{
    QStringList out;
    for (const SheetRow& r : sheet.rows)
        for (int c = 0; c < r.cells.size(); ++c) {
            const Cell& cell = r.cells[c];
            if (cell.type == Cell::Type::Empty)
                continue;
            const QString v = cell.type == Cell::Type::Date     ? cell.date.toString(Qt::ISODate)
                              : cell.type == Cell::Type::Number ? QString::number(cell.number, 'g', 15)
                                                                : cell.text;
            out << QStringLiteral("%1:%2=%3").arg(r.number).arg(c + 1).arg(v);
        }
    return out;
}

QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

Sheet csvSheet(const QByteArray& text) { return readCsv(text).sheets.first(); }

// The register of a data folder as the program would find it: the file's
// full check and every row against its digest, then the content's
// fingerprint ("" and the number when sound).
QString registerAfterKill(const QString& dir, quint64* fingerprint)
{
    const QStringList problems = plat::db::Database::checkFile(QDir(dir).filePath(QStringLiteral("zelta99.db")), false);
    if (!problems.isEmpty())
        return problems.first();
    TDm_Dados dm(dir);
    if (!findOutsideChanges(dm.database()).isEmpty())
        return QStringLiteral("linhas sem acordo com seus resumos");
    *fingerprint = contentFingerprint(dm.database());
    return QString();
}

} // namespace

class TestSheets : public QObject {
    Q_OBJECT
private slots:
    void csvEncodingsSeparatorsAndRows();
    void xlsxWrittenByOpenpyxl();
    void libreOfficeFilesReadAsTheirCsv();
    void hostileFilesAreRefused();
    void headingsAndCellValues();
    void everyProblemHasItsMessageAndLine();
    void oneBadRowWritesNothing();
    void pastTheQuotaIsRefused();
    void importWritesEveryRowAfterACopy();
    void exportsReadBackByRealPrograms();
    void writersKeepEveryCellOrRefuse();
    void killedImportLeavesTheOldRows();
    void commandLine();

private:
    QTemporaryDir m_tmp;
};

void TestSheets::csvEncodingsSeparatorsAndRows()
{
    // Windows-1252, ';', a quoted field with a line break, a blank line: a
    // spreadsheet program shows the blank line as row 3 and the next record as 4.
    Workbook cp = readCsv(plat::sys::toCp1252(QStringLiteral("Nome;CPF\r\n\"JOSÉ\r\nDA SILVA\";1\r\n\r\nÇÃO;2\r\n")));
    QCOMPARE(cp.encoding, QStringLiteral("Windows-1252"));
    QCOMPARE(cp.separator, QStringLiteral(";"));
    QCOMPARE(cellsOf(cp.sheets.first()), (strings({"1:1=Nome", "1:2=CPF", "2:1=JOSÉ\r\nDA SILVA", "2:2=1", "4:1=ÇÃO", "4:2=2"})));
    // UTF-8 with its mark, TAB; and ',' with LF only.
    Workbook tab = readCsv(QByteArray("\xEF\xBB\xBFNome\tCPF\nJo\xC3\xA3o\t3\n"));
    QCOMPARE(tab.encoding, QStringLiteral("UTF-8"));
    QCOMPARE(tab.separator, QStringLiteral("TAB"));
    QCOMPARE(cellsOf(tab.sheets.first()), (strings({"1:1=Nome", "1:2=CPF", "2:1=João", "2:2=3"})));
    QCOMPARE(readCsv("a,b\n1,\"x;y\"\n").separator, QStringLiteral(","));
    QCOMPARE(cellsOf(readCsv("a,b\n1,\"x;y\"\n").sheets.first()).last(), QStringLiteral("2:2=x;y"));
}

void TestSheets::xlsxWrittenByOpenpyxl()
{
    if (test::pythonWithOpenpyxl().isEmpty())
        QSKIP("python3-openpyxl is not installed");
    const QString path = m_tmp.filePath(QStringLiteral("openpyxl.xlsx"));
    test::runPython(QStringLiteral(R"(
import sys, datetime, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Bolsistas"
ws.append(["Nome", "CPF", "Dt. Nasc.", "Sexo"])
ws.append(["JOSÉ ÁVILA", 1234567890, datetime.date(1979, 3, 14), "M"])
ws.append(["ANA", "012.345.678-90", "14/3/79", None])
ws.append([])
ws.append([None, 52998224725, 29, "F"])
ws["C5"].number_format = "0"
other = wb.create_sheet("Outra")
other["B3"] = "só aqui"
wb.save(sys.argv[1])
)"),
                    {path});
    const Workbook book = readWorkbook(path);
    QCOMPARE(book.sheets.size(), 2);
    QCOMPARE(book.sheets[1].name, QStringLiteral("Outra"));
    QCOMPARE(cellsOf(book.sheet(QStringLiteral("Outra"))), strings({"3:2=só aqui"}));
    QCOMPARE(cellsOf(book.sheets[0]),
             (strings({"1:1=Nome", "1:2=CPF", "1:3=Dt. Nasc.", "1:4=Sexo", "2:1=JOSÉ ÁVILA", "2:2=1234567890", "2:3=1979-03-14",
                       "2:4=M", "3:1=ANA", "3:2=012.345.678-90", "3:3=14/3/79", "5:2=52998224725", "5:3=29", "5:4=F"})));
    QVERIFY(!errorOf([&] { (void)book.sheet(QStringLiteral("Nenhuma")); }).isEmpty());
}

void TestSheets::libreOfficeFilesReadAsTheirCsv()
{
    if (test::soffice().isEmpty())
        QSKIP("libreoffice-calc-nogui is not installed");
    // Accents, a number, a date, empty cells in the middle and at the end,
    // the same text in many cells (ODS writes it once, repeated).
    const QString csv = m_tmp.filePath(QStringLiteral("lo.csv"));
    writeFile(csv, QStringLiteral("\"Nome\";\"CPF\";\"Nascimento\";\"X\";\"Y\"\n\"MARIA JOSÉ\";1234567890;14/03/1979;;\n"
                                  "\"a\";\"a\";\"a\";\"a\";\"a\"\n;;;;\n\"ÚLTIMA\";;;;7\n")
                       .toUtf8());
    QVERIFY(
        test::convertWithLibreOffice({csv}, QStringLiteral("xlsx"), m_tmp.path(), m_tmp.filePath(QStringLiteral("lo-profile"))));
    QVERIFY(
        test::convertWithLibreOffice({csv}, QStringLiteral("ods"), m_tmp.path(), m_tmp.filePath(QStringLiteral("lo-profile"))));
    const QStringList expected = strings({"1:1=Nome", "1:2=CPF", "1:3=Nascimento", "1:4=X", "1:5=Y", "2:1=MARIA JOSÉ",
                                          "2:2=1234567890", "2:3=1979-03-14", "3:1=a", "3:2=a", "3:3=a", "3:4=a", "3:5=a",
                                          "5:1=ÚLTIMA", "5:5=7"});
    QCOMPARE(cellsOf(readWorkbook(m_tmp.filePath(QStringLiteral("lo.xlsx"))).sheets.first()), expected);
    QCOMPARE(cellsOf(readWorkbook(m_tmp.filePath(QStringLiteral("lo.ods"))).sheets.first()), expected);
}

void TestSheets::hostileFilesAreRefused()
{
    if (test::pythonWithOpenpyxl().isEmpty())
        QSKIP("python3 is not installed");
    const QString dir = m_tmp.filePath(QStringLiteral("hostile"));
    QDir().mkpath(dir);
    // A content.xml of 64 MB of blanks packed into a few kilobytes; a million
    // rows of a filled cell; XML cut in the middle.
    test::runPython(QStringLiteral(R"(
import sys, zipfile
d = sys.argv[1]
head = '<?xml version="1.0"?><office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet><table:table table:name="A">'
def ods(name, body):
    with zipfile.ZipFile(d + "/" + name, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("mimetype", "application/vnd.oasis.opendocument.spreadsheet")
        z.writestr("content.xml", body)
ods("bomb.ods", head + " " * (64 << 20) + "</table:table>")
ods("rows.ods", head + '<table:table-row table:number-rows-repeated="1000000"><table:table-cell table:number-columns-repeated="16000" office:value-type="string"><text:p>x</text:p></table:table-cell></table:table-row></table:table></office:spreadsheet></office:body></office:document-content>')
ods("cut.ods", head + '<table:table-row><table:table-cell')
ods("empty-tail.ods", head + '<table:table-row><table:table-cell office:value-type="string"><text:p>CPF</text:p></table:table-cell><table:table-cell table:number-columns-repeated="16383"/></table:table-row><table:table-row table:number-rows-repeated="1048575"><table:table-cell table:number-columns-repeated="16384"/></table:table-row></table:table></office:spreadsheet></office:body></office:document-content>')
)"),
                    {dir});
    Limits small;
    small.maxXmlBytes = 16 << 20;
    QVERIFY(errorOf([&] { readWorkbook(dir + QStringLiteral("/bomb.ods"), small); }).contains(QStringLiteral("grande demais")));
    QVERIFY(errorOf([&] { readWorkbook(dir + QStringLiteral("/rows.ods")); }).contains(QStringLiteral("grande demais")));
    QVERIFY(errorOf([&] { readWorkbook(dir + QStringLiteral("/cut.ods")); }).contains(QStringLiteral("não pôde ser lido")));
    // What LibreOffice writes after the last cell costs nothing.
    QCOMPARE(cellsOf(readWorkbook(dir + QStringLiteral("/empty-tail.ods")).sheets.first()), strings({"1:1=CPF"}));
    writeFile(dir + QStringLiteral("/not.xlsx"), QByteArray("PK\x03\x04 nothing else", 18));
    QVERIFY(!errorOf([&] { readWorkbook(dir + QStringLiteral("/not.xlsx")); }).isEmpty());
}

void TestSheets::headingsAndCellValues()
{
    const Sheet s = csvSheet(
        QStringLiteral("Data de Nascimento;NASCIMENTO;dt. nasc.;Código  da agência;cpf do orientador;?\n").toUtf8());
    const Mapping m = matchHeadings(ImportKind::Holders, s.rows.first());
    // The first column that names a field takes it.
    QCOMPARE(m.value(FieldId::Nascimento), 0);
    QCOMPARE(m.value(FieldId::Agencia), 3);
    QCOMPARE(m.value(FieldId::CpfOrientador), 4);
    QVERIFY(!m.contains(FieldId::Cpf));
    QCOMPARE(foldHeading(QStringLiteral("Dt. Nasc.")), QStringLiteral("dtnasc"));
}

void TestSheets::everyProblemHasItsMessageAndLine()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 100);
    const QString ori = test::makeCpf(401230567);
    const QString ori2 = test::makeCpf(402345671);
    data.addAdvisor(ori, QStringLiteral("HELENA"));
    data.addAdvisor(ori2, QStringLiteral("CARLOS"), QStringLiteral("D"), QStringLiteral("SOLOS"));
    data.addAdvisor(ori2, QStringLiteral("CARLOS"), QStringLiteral("D"), QStringLiteral("ÁGUA"));
    data.addHolder(QStringLiteral("JÁ CADASTRADA"), test::makeCpf(111111112));
    auto cpf = [](qint64 n) { return test::makeCpf(n); };
    const QString csv
        = QStringLiteral("CPF;Nome;Sexo;Nascimento;Agência;CPF do Orientador;Projeto;Situação\n")
          + QStringLiteral("123.456.789-00;A;F;01/01/1980;1234;%1;;\n").arg(ori) +          // 2 check digits
          QStringLiteral("%1;B;F;01/01/1980;1234;%2;;\n").arg(cpf(111111112), ori) +        // 3 holder's CPF
          QStringLiteral("%1;C;F;01/01/1980;1234;%1;;\n").arg(ori) +                        // 4 advisor's CPF
          QStringLiteral("%1;D;Z;30/02/1980;1 3;%2;;Talvez\n").arg(cpf(200000001), ori) +   // 5 sex, date, branch, situation
          QStringLiteral("%1;;;;;;;\n").arg(cpf(200000002)) +                               // 6 every required field
          QStringLiteral("%1;F;M;1/1/80;1234;%2;;\n").arg(cpf(200000003), cpf(999999999)) + // 7 no such advisor
          QStringLiteral("%1;G;M;1/1/80;1234;%2;;\n").arg(cpf(200000004), ori2) +           // 8 several projects
          QStringLiteral("%1;H;M;1/1/80;1234;%2;outro;\n").arg(cpf(200000005), ori2) +      // 9 not one of them
          QStringLiteral("%1;I;M;1/1/80;1234;%2;água;\n").arg(cpf(200000005), ori2);        // 10 repeated CPF, right project
    const ImportCheck check = checkImport(data.db(), ImportKind::Holders, csvSheet(csv.toUtf8()));
    QStringList lines;
    for (const RowProblem& p : check.problems)
        lines << problemLine(p);
    const QStringList expected{
        QStringLiteral("linha 2: CPF: Favor verificar o CPF (123.456.789-00)"),
        QStringLiteral("linha 3: CPF: CPF já utilizado pelo bolsista JÁ CADASTRADA"),
        QStringLiteral("linha 4: CPF: CPF já utilizado pelo orientador HELENA"),
        QStringLiteral("linha 5: Sexo: \"Z\" não é F (Feminino) nem M (Masculino)"),
        QStringLiteral("linha 5: Data de Nascimento: \"30/02/1980\" não é uma data válida (dia/mês/ano)"),
        QStringLiteral("linha 5: Situação: \"Talvez\" não é Novo, Renovado nem Excluído"),
        QStringLiteral("linha 5: Código da Agência: Código da agencia campo obrigatório"),
        QStringLiteral("linha 6: Sexo: Sexo campo obrigatório"),
        QStringLiteral("linha 6: Data de Nascimento: Data de nascimento campo obrigatório"),
        QStringLiteral("linha 6: Código da Agência: Código da agencia campo obrigatório"),
        QStringLiteral("linha 6: CPF do Orientador: orientador campo obrigatório"),
        QStringLiteral("linha 6: Nome: Nome campo obrigatório"),
        QStringLiteral("linha 7: CPF do Orientador: nenhum orientador cadastrado tem o CPF %1").arg(cpf(999999999)),
        QStringLiteral("linha 8: Título do Projeto: o orientador %1 tem 2 projetos; informe o título do projeto").arg(ori2),
        QStringLiteral("linha 9: Título do Projeto: não é o título de um projeto do orientador %1").arg(ori2),
        QStringLiteral("linha 10: CPF: CPF repetido: já está na linha 9"),
    };
    if (lines != expected)
        qWarning().noquote() << lines.join(u'\n');
    QCOMPARE(lines, expected);

    // Advisors: holder's CPF, degree, area, category, key words, a good row.
    const QString adv = QStringLiteral("CPF;Nome;Titulação;Título;Palavra Chave 1;Palavra Chave 2;Área;Pesquisador;Categoria\n")
                        + QStringLiteral("%1;X;Doutor;T;A;;1.01.00.00-8;Não;\n").arg(cpf(111111112))
                        + QStringLiteral("%1;X;Doutoranda;T;A;A;9.99.99.99-9;S;3Z\n").arg(cpf(300000001))
                        + QStringLiteral("%1;X;m;t;a;;10100008;n;1A\n").arg(cpf(300000002))
                        + QStringLiteral("%1;novo;D;título;chave;;ADMINISTRACAO;Sim;1a\n").arg(ori);
    const ImportCheck a = checkImport(data.db(), ImportKind::Advisors, csvSheet(adv.toUtf8()));
    lines.clear();
    for (const RowProblem& p : a.problems)
        lines << problemLine(p);
    QCOMPARE(lines, (QStringList{
                        QStringLiteral("linha 2: CPF: CPF já utilizado pelo bolsista JÁ CADASTRADA"),
                        QStringLiteral("linha 3: Titulação: \"Doutoranda\" não é D (Doutor) nem M (Mestre)"),
                        QStringLiteral("linha 3: Área: Código de Área Inexistente !!! (9.99.99.99-9)"),
                        QStringLiteral("linha 3: Categoria: \"3Z\" não é uma categoria (1A,1B,1C,2A,2B,2C)"),
                        QStringLiteral("linha 3: Palavra Chave 2: Palavra chave 1 igual Palavra chave 2"),
                        QStringLiteral("linha 4: Categoria: só um pesquisador do Orvu (Sim) tem categoria"),
                    }));
    // The good row as the form stores it: capitals, codes, 8-digit area.
    QCOMPARE(a.records.last(),
             (QVariantList{ori, QStringLiteral("NOVO"), QStringLiteral("D"), QStringLiteral("TÍTULO"), QStringLiteral("CHAVE"),
                           QString(), QString(), QStringLiteral("10100008"), QStringLiteral("S"), QStringLiteral("1A")}));
}

void TestSheets::oneBadRowWritesNothing()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 100);
    const QString ori = test::makeCpf(401230567);
    data.addAdvisor(ori, QStringLiteral("HELENA"));
    const QString file = m_tmp.filePath(QStringLiteral("bad.csv"));
    writeFile(file, QStringLiteral("CPF;Nome;Sexo;Nascimento;Agência;CPF do Orientador\n%1;A;F;1/1/80;1234;%2\n%3;B;F;;1234;%2\n")
                        .arg(test::makeCpf(500000001), ori, test::makeCpf(500000002))
                        .toUtf8());
    const QString db = QDir(data.dir()).filePath(QStringLiteral("zelta99.db"));
    data.dm().database().close();
    const QByteArray before = fileHash(db);
    const test::CliRun r = test::runCommand(
        {QStringLiteral("importar"), QStringLiteral("bolsistas"), file, QStringLiteral("--dados"), data.dir()});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out.split(u'\n').first(), QStringLiteral("linha 3: Data de Nascimento: Data de nascimento campo obrigatório"));
    QCOMPARE(fileHash(db), before);
    QVERIFY(!QDir(data.dir() + QStringLiteral("/backups")).exists() || QDir(data.dir() + QStringLiteral("/backups")).isEmpty());
}

void TestSheets::pastTheQuotaIsRefused()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 3);
    const QString ori = test::makeCpf(401230567);
    const qint64 codigo = data.addAdvisor(ori, QStringLiteral("HELENA"));
    data.addHolder(QStringLiteral("R"), test::makeCpf(600000000), QStringLiteral("Renovado"), ori, codigo);
    data.addHolder(QStringLiteral("E"), test::makeCpf(600000009), QStringLiteral("Excluído"), ori, codigo);
    QString csv = QStringLiteral("CPF;Nome;Sexo;Nascimento;Agência;CPF do Orientador;Situação\n");
    for (int i = 1; i <= 4; ++i) // the third "Novo" makes four against a quota of 3
        csv += QStringLiteral("%1;N%2;F;1/1/80;1234;%3;%4\n")
                   .arg(test::makeCpf(600000000 + i))
                   .arg(i)
                   .arg(ori, i == 2 ? QStringLiteral("Excluído") : QString());
    const ImportCheck check = checkImport(data.db(), ImportKind::Holders, csvSheet(csv.toUtf8()));
    QCOMPARE(check.problems.size(), 1);
    QCOMPARE(problemLine(check.problems.first()), QStringLiteral("linha 5: Situação: Limite Máximo de Cotas Alcançado"));
}

void TestSheets::importWritesEveryRowAfterACopy()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 10);
    const QString ori = test::makeCpf(401230567);
    data.addAdvisor(ori, QStringLiteral("HELENA"), QStringLiteral("D"), QStringLiteral("SOLOS"));
    const qint64 second = data.addAdvisor(ori, QStringLiteral("HELENA"), QStringLiteral("D"), QStringLiteral("ÁGUA"));
    // A CPF stored as a number has lost its leading zero.
    const QString zeroCpf = test::makeCpf(12345678);
    const QString csv = QStringLiteral("Nome;CPF;Sexo;Dt. Nasc.;Agência;CPF do Orientador;Projeto\n"
                                       "maria josé;%1;feminino;14/3/79;1234-5;%2;Água\n")
                            .arg(QString(zeroCpf).remove(u'.').remove(u'-').mid(1), ori);
    const ImportCheck check = checkImport(data.db(), ImportKind::Holders, csvSheet(csv.toUtf8()));
    QVERIFY2(check.problems.isEmpty(), qPrintable(check.problems.isEmpty() ? QString() : problemLine(check.problems.first())));
    const ImportResult r = writeImport(data.dm(), check);
    QCOMPARE(r.added, 1);
    QVERIFY(r.backupFile.contains(QStringLiteral("importacao")));
    plat::db::Statement st = data.db().prepare(QStringLiteral(
        "SELECT Nome, CPF, SEXO, DATA_NASCIMENTO, SITUACAO, CODIGO_AGENCIA, CPF_ORIENTADOR, NUMERO_ORIENTADOR FROM ZELTABOL"));
    QVERIFY(st.step());
    QCOMPARE(st.text(0), QStringLiteral("MARIA JOSÉ"));
    QCOMPARE(st.text(1), zeroCpf);
    QCOMPARE(st.text(2), QStringLiteral("F"));
    QCOMPARE(st.isoDate(3), QDate(1979, 3, 14));
    QCOMPARE(st.text(4), QStringLiteral("Novo"));
    QCOMPARE(st.text(5), QStringLiteral("1234-5"));
    QCOMPARE(st.text(6), ori);
    QCOMPARE(st.int64(7), second);
}

void TestSheets::exportsReadBackByRealPrograms()
{
    if (test::pythonWithOpenpyxl().isEmpty() || test::soffice().isEmpty())
        QSKIP("python3-openpyxl or libreoffice-calc-nogui is not installed");
    TestData data;
    const QString ori = test::makeCpf(401230567);
    const qint64 codigo = data.addAdvisor(ori, QStringLiteral("HELENA ÁVILA"));
    data.addHolder(QStringLiteral("ZÉLIA"), test::makeCpf(12345678), QStringLiteral("Novo"), ori, codigo, QStringLiteral("F"),
                   QDate(1979, 3, 14));
    data.addHolder(QStringLiteral("ÁLVARO"), test::makeCpf(700000001), QStringLiteral("Renovado"), ori, codigo,
                   QStringLiteral("M"), QDate());
    const QString xlsx = m_tmp.filePath(QStringLiteral("export.xlsx"));
    const QString ods = m_tmp.filePath(QStringLiteral("export.ods"));
    QCOMPARE(exportList(data.dm(), ExportList::Holders, xlsx), 2);
    QCOMPARE(exportList(data.dm(), ExportList::Holders, ods), 2);
    // openpyxl: the cells' types and values; the list's order is the name order.
    const QString dumped = test::runPython(QStringLiteral(R"(
import sys, json, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
print(json.dumps([[type(c).__name__ + ":" + str(c) for c in r[:4]] for r in ws.iter_rows(min_row=2, values_only=True)]))
)"),
                                           {xlsx});
    const QJsonArray rows = QJsonDocument::fromJson(dumped.toUtf8()).array();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].toArray().toVariantList(),
             (QVariantList{QStringLiteral("str:%1").arg(test::makeCpf(700000001)), QStringLiteral("str:ÁLVARO"),
                           QStringLiteral("str:Masculino"), QStringLiteral("NoneType:None")}));
    QCOMPARE(rows[1].toArray().toVariantList(),
             (QVariantList{QStringLiteral("str:%1").arg(test::makeCpf(12345678)), QStringLiteral("str:ZÉLIA"),
                           QStringLiteral("str:Feminino"), QStringLiteral("datetime:1979-03-14 00:00:00")}));
    // LibreOffice: the ODS as CSV, with the date shown from its date cell.
    QVERIFY(test::convertWithLibreOffice({ods}, QStringLiteral("csv:Text - txt - csv (StarCalc):59,34,76,1"),
                                         m_tmp.filePath(QStringLiteral("back")), m_tmp.filePath(QStringLiteral("lo-profile"))));
    QFile back(m_tmp.filePath(QStringLiteral("back/export.csv")));
    QVERIFY(back.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(back.readAll()).split(u'\n');
    QVERIFY2(lines.value(2).startsWith(
                 QStringLiteral("\"%1\";\"ZÉLIA\";\"Feminino\";14/03/1979;\"Novo\"").arg(test::makeCpf(12345678))),
             qPrintable(lines.value(2)));
}

void TestSheets::writersKeepEveryCellOrRefuse()
{
    // Enough rows that an XLSX file's cells reach the library in several
    // batches and an ODS file's XML reaches the zip in several pieces; a CSV
    // file shows dates and numbers as the reader then sees them, as text.
    for (const QString& ext : {QStringLiteral("xlsx"), QStringLiteral("ods"), QStringLiteral("csv")}) {
        const QString path = m_tmp.filePath(QStringLiteral("many.") + ext);
        const bool csv = ext == u"csv";
        QStringList expected;
        {
            auto w = SheetWriter::create(path, QStringLiteral("Muitas"));
            for (int i = 0; i < 5000; ++i) {
                const QString text = QStringLiteral("JOÃO & <%1>").arg(i);
                const QDate date = QDate(1950, 1, 1).addDays(i * 7);
                w->row({Cell::ofText(text), Cell{}, Cell::ofNumber(i * 1.5), Cell::ofDate(date)});
                const QString number = QString::number(i * 1.5, 'g', 15);
                expected << QStringLiteral("%1:1=%2").arg(i + 1).arg(text)
                         << QStringLiteral("%1:3=%2").arg(i + 1).arg(csv ? QString(number).replace(u'.', u',') : number)
                         << QStringLiteral("%1:4=%2").arg(i + 1).arg(csv ? date.toString(QStringLiteral("dd/MM/yyyy"))
                                                                         : date.toString(Qt::ISODate));
            }
            w->finish();
        }
        QCOMPARE(cellsOf(readWorkbook(path).sheets.first()), expected);
    }
    // A text the format cannot hold fails the file instead of leaving a hole.
    const QString refused = m_tmp.filePath(QStringLiteral("long.xlsx"));
    auto w = SheetWriter::create(refused, QStringLiteral("Longa"));
    w->row({Cell::ofText(QString(40000, u'A'))});
    QVERIFY(errorOf([&] { w->finish(); }).contains(QStringLiteral("não pôde ser gravada")));
    w.reset();
    QVERIFY(!QFile::exists(refused));
    QCOMPARE(QDir(m_tmp.path()).entryList({QStringLiteral(".long.xlsx*")}, QDir::Hidden | QDir::Files), QStringList());

    // A fifo is neither read (which would wait for a writer for ever) nor
    // replaced by an export of that name; a folder is not read either.
    for (const QString& ext : {QStringLiteral("csv"), QStringLiteral("xlsx"), QStringLiteral("ods")}) {
        const QString fifo = m_tmp.filePath(QStringLiteral("fila.") + ext);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(errorOf([&] { readWorkbook(fifo); }).contains(QStringLiteral("não é um arquivo comum")));
        QVERIFY(errorOf([&] {
                    SheetWriter::create(fifo, QStringLiteral("A"))->finish();
                }).contains(QStringLiteral("não é um arquivo comum")));
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    }
    QVERIFY(errorOf([&] { readWorkbook(m_tmp.path()); }).contains(QStringLiteral("é uma pasta")));
}

void TestSheets::killedImportLeavesTheOldRows()
{
    TestData data;
    data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("U"), 1000);
    const QString ori = test::makeCpf(401230567);
    const qint64 codigo = data.addAdvisor(ori, QStringLiteral("HELENA"));
    for (int i = 0; i < 20; ++i)
        data.addHolder(QStringLiteral("ANTIGO %1").arg(i), test::makeCpf(610000000 + i), QStringLiteral("Renovado"), ori, codigo);
    constexpr int kRows = 300;
    QString csv = QStringLiteral("CPF;Nome;Sexo;Nascimento;Agência;CPF do Orientador\n");
    for (int i = 0; i < kRows; ++i)
        csv += QStringLiteral("%1;NOVO %2;F;1/1/80;1234;%3\n").arg(test::makeCpf(620000000 + i)).arg(i).arg(ori);
    const QString file = m_tmp.filePath(QStringLiteral("novos.csv"));
    writeFile(file, csv.toUtf8());
    const QString dir = data.dir();
    const quint64 old = contentFingerprint(data.db());
    data.dm().database().close();
    const auto import = [&](const std::function<void()>& step) {
        TDm_Dados dm(dir);
        const ImportCheck check = checkImport(dm.database(), ImportKind::Holders, readWorkbook(file).sheets.first());
        if (!check.problems.isEmpty())
            throw plat::Error::input(problemLine(check.problems.first()));
        writeImport(dm, check, [&](int, int) { step(); });
    };
    // Killed once the copy is taken, at the first rows, halfway, and after
    // the last row before the commit: the register is sound and all old.
    for (const int kill : {1, 2, kRows / 2, kRows, kRows + 1}) {
        QVERIFY2(killedAtStep(kill, import), qPrintable(QString::number(kill)));
        quint64 now = 0;
        const QString problem = registerAfterKill(dir, &now);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(kill).arg(problem)));
        QVERIFY2(now == old, qPrintable(QString::number(kill)));
    }
    // Not killed, the same import adds every row.
    QVERIFY(!killedAtStep(kRows + 2, import));
    TDm_Dados dm(dir);
    QCOMPARE(dm.database().scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL")).toInt(), 20 + kRows);
}

void TestSheets::commandLine()
{
    TestData data;
    const QString out = m_tmp.filePath(QStringLiteral("cli.csv"));
    data.dm().database().close();
    test::CliRun r = test::runCommand(
        {QStringLiteral("exportar"), QStringLiteral("orientadores"), out, QStringLiteral("--dados"), data.dir()});
    QCOMPARE(r.code, 0);
    QVERIFY(QFile::exists(out));
    r = test::runCommand({QStringLiteral("exportar"), QStringLiteral("bolsistas"), m_tmp.filePath(QStringLiteral("x.txt")),
                          QStringLiteral("--dados"), data.dir()});
    QCOMPARE(r.code, 2);
    r = test::runCommand({QStringLiteral("importar"), QStringLiteral("alunos"), out, QStringLiteral("--dados"), data.dir()});
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QStringLiteral("Uso: zelta99 importar")));
    r = test::runCommand({QStringLiteral("importar"), QStringLiteral("orientadores"), out, QStringLiteral("--planilha"),
                          QStringLiteral("Nenhuma"), QStringLiteral("--dados"), data.dir()});
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QStringLiteral("não tem a planilha \"Nenhuma\"")));
}

QTEST_GUILESS_MAIN(TestSheets)
#include "test_sheets.moc"
