// The import window and the export command of the lists, driven as the user
// does: a file chosen, a column's field changed, buttons clicked, the file
// dialog answered.
#include "../advisors/AdvisorFixture.h"

#include "app/windows/TZelta.h"
#include "data/RegisterCopies.h"
#include "data/RowDigests.h"
#include "data/TDm_Dados.h"
#include "exchange/sheets/SheetReaders.h"
#include "exchange/windows/ImportPreview.h"
#include "exchange/windows/TFrm_ImportarPlanilha.h"
#include "holders/windows/TFrm_Bolsistas.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include <csignal>
#include <sys/resource.h>

using namespace zelta;
using namespace zelta::test;

namespace {

struct SheetsFixture : AdvisorFixture {
    SheetsFixture()
    {
        data.setInstitution(QStringLiteral("1"), QStringLiteral("U"), QStringLiteral("UNIVERSIDADE"), 10);
        data.addAdvisor(advisor, QStringLiteral("HELENA"));
    }
    QString write(const QString& name, const QString& text)
    {
        const QString path = tmp.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
        return path;
    }
    QTemporaryDir tmp;
    const QString advisor = makeCpf(401230567);
};

} // namespace

class TestSheetsWindows : public QObject {
    Q_OBJECT
private slots:
    void importBlockedByAProblemThenMappedAndWritten();
    void updateShowsEachChangeThenWritesAfterACopy();
    void holderListExportsWhatItShows();
    void holderListExportThatFailsIsTold();
};

void TestSheetsWindows::importBlockedByAProblemThenMappedAndWritten()
{
    SheetsFixture f;
    {
        TZelta zelta;
        zelta.setDataModule(&f.dm());
        f.modals.expect([](QDialog* d) { d->findChild<QPushButton*>(QStringLiteral("BtnFechar"))->click(); });
        zelta.commandAction(TZelta::Command::ImportarPlanilha)->trigger();
        QCOMPARE(f.modals.shown(), QStringList{QStringLiteral("zelta::TFrm_ImportarPlanilha")});
    }
    const QString rows = QStringLiteral("%1;ANA;F;1/1/80;1234;%4\n%2;BIA;F;31/02/1981;1234;%4\n%3;CAU;M;2/2/82;1234;%4\n");
    const QString bad = f.write(QStringLiteral("bad.csv"),
                                QStringLiteral("CPF;Nome;Sexo;Nascimento;Agência;CPF do Orientador\n")
                                    + rows.arg(makeCpf(500000001), makeCpf(500000002), makeCpf(500000003), f.advisor));
    TFrm_ImportarPlanilha form(f.sessao);
    form.create();
    form.show();
    form.abrirArquivo(bad);
    QVERIFY(form.LbFormato->text().contains(QStringLiteral("separador \";\"")));
    QCOMPARE(form.CbConteudo->currentText(), QStringLiteral("Bolsistas"));
    QCOMPARE(form.preview()->rowCount(), 3);
    QCOMPARE(form.preview()->rowsWithProblems(), 1);
    QVERIFY(form.preview()->hasProblems(1));
    QVERIFY(form.preview()->problemsText(1).startsWith(QStringLiteral("Data de Nascimento: ")));
    QVERIFY(form.LbResumo->text().contains(QStringLiteral("1 linha com 1 problema")));
    QVERIFY(!form.BtnImportar->isEnabled());

    // The same rows, the birth date under a heading nobody knows: the user
    // gives that column its field, and the rows can be imported.
    const QString unknown = f.write(QStringLiteral("good.csv"),
                                    QStringLiteral("CPF;Nome;Sexo;Quando;Agência;CPF do Orientador\n")
                                        + rows.arg(makeCpf(500000001), makeCpf(500000002), makeCpf(500000003), f.advisor)
                                              .replace(QStringLiteral("31/02/1981"), QStringLiteral("3/2/81")));
    form.abrirArquivo(unknown);
    QCOMPARE(form.campo(3), -1);
    QCOMPARE(form.preview()->rowsWithProblems(), 3);
    QVERIFY(!form.BtnImportar->isEnabled());
    form.setCampo(3, int(sheets::FieldId::Nascimento));
    QCOMPARE(form.preview()->rowsWithProblems(), 0);
    // A field goes to one column only: choosing the name for column D takes
    // it from column B, which then imports nothing.
    form.setCampo(3, int(sheets::FieldId::Nome));
    QCOMPARE(form.campo(1), -1);
    QVERIFY(!form.BtnImportar->isEnabled());
    form.setCampo(1, int(sheets::FieldId::Nome));
    form.setCampo(3, int(sheets::FieldId::Nascimento));
    QVERIFY(form.BtnImportar->isEnabled());

    QList<int> shown;
    connect(form.BarraGravacao, &QProgressBar::valueChanged, [&shown](int v) { shown << v; });
    form.BtnImportar->click();
    QCOMPARE(shown.isEmpty() ? -1 : shown.last(), 100);
    QVERIFY(!form.BarraGravacao->isVisible());
    QCOMPARE(f.data.count(QStringLiteral("ZELTABOL")), 3);
    QCOMPARE(f.value(QStringLiteral("SELECT DATA_NASCIMENTO FROM ZELTABOL WHERE Nome='BIA'")), QStringLiteral("1981-02-03"));
    QVERIFY(f.messages.last().text.startsWith(QStringLiteral("3 bolsistas importados.")));
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

void TestSheetsWindows::updateShowsEachChangeThenWritesAfterACopy()
{
    SheetsFixture f;
    const qint64 codigo = f.value(QStringLiteral("SELECT Codigo FROM ZELTAORI")).toLongLong();
    f.data.addHolder(QStringLiteral("ANA"), makeCpf(500000001), QStringLiteral("Novo"), f.advisor, codigo);
    const QString path
        = f.write(QStringLiteral("banco.csv"),
                  QStringLiteral("CPF;Agência;Conta\n%1;452;98765\n%2;4444-4;\n").arg(makeCpf(500000001), makeCpf(500000002)));
    TFrm_ImportarPlanilha form(f.sessao);
    form.create();
    form.show();
    form.abrirArquivo(path);
    // Without the choice, a registered holder is a problem, and the changes
    // column is out of sight.
    QVERIFY(form.preview()->problemsText(0).startsWith(QStringLiteral("CPF: CPF já utilizado pelo bolsista")));
    QVERIFY(form.GridLinhas->isColumnHidden(ImportPreview::kChanges));
    QVERIFY(!form.BtnImportar->isEnabled());
    form.ChkAtualizar->click();
    QVERIFY(!form.GridLinhas->isColumnHidden(ImportPreview::kChanges));
    QVERIFY(!form.preview()->hasProblems(0));
    QCOMPARE(form.preview()->changes(0), (QStringList{QStringLiteral("Código da Agência: 1234-5 → 0452"),
                                                      QStringLiteral("Conta Bancária: (vazio) → 98765")}));
    QCOMPARE(form.preview()->data(form.preview()->index(0, ImportPreview::kChanges), Qt::DisplayRole).toString(),
             QStringLiteral("Código da Agência: 1234-5 → 0452; Conta Bancária: (vazio) → 98765"));
    // The second row is a new holder who lacks what the form asks for.
    QVERIFY(form.preview()->problemsText(1).contains(QStringLiteral("Sexo campo obrigatório")));
    QCOMPARE(form.preview()->changes(1), QStringList{QStringLiteral("novo cadastro")});
    QVERIFY(!form.BtnImportar->isEnabled());
    // A column left out changes nothing.
    form.setCampo(2, -1);
    QCOMPARE(form.preview()->changes(0), QStringList{QStringLiteral("Código da Agência: 1234-5 → 0452")});

    // Only the registered holder's row: written after a copy, the digests kept.
    form.abrirArquivo(
        f.write(QStringLiteral("so-ana.csv"), QStringLiteral("CPF;Agência;Conta\n%1;452;98765\n").arg(makeCpf(500000001))));
    QVERIFY(form.ChkAtualizar->isChecked());
    QVERIFY2(form.LbResumo->text().contains(QStringLiteral("0 a incluir, 1 a atualizar")), qPrintable(form.LbResumo->text()));
    QVERIFY(form.BtnImportar->isEnabled());
    form.BtnImportar->click();
    QCOMPARE(form.updated(), 1);
    QVERIFY(f.messages.last().text.startsWith(QStringLiteral("0 bolsistas importados. 1 cadastro atualizado.")));
    QCOMPARE(f.value(QStringLiteral("SELECT CODIGO_AGENCIA || '/' || CONTA_BANCO FROM ZELTABOL")), QStringLiteral("0452/98765"));
    const QList<RegisterCopy> copies = RegisterCopies::describe(f.data.dir());
    QCOMPARE(copies.size(), 1);
    QCOMPARE(copies.first().reason, CopyReason::BeforeImport);
    QVERIFY(findOutsideChanges(f.data.db()).isEmpty());
}

void TestSheetsWindows::holderListExportsWhatItShows()
{
    SheetsFixture f;
    f.data.addHolder(QStringLiteral("ZULMIRA"), makeCpf(700000001));
    f.data.addHolder(QStringLiteral("ANTONIO"), makeCpf(7), QStringLiteral("Renovado"));
    TFrm_Bolsistas list(f.sessao);
    list.create();
    list.show();
    // The name typed without an extension takes the type chosen.
    const QString target = f.tmp.filePath(QStringLiteral("lista"));
    f.modals.expect([&](QDialog* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        QVERIFY(dialog);
        dialog->selectNameFilter(dialog->nameFilters().at(2));
        dialog->selectFile(target);
        d->accept(); // the file dialog's own accept, through QDialog
    });
    list.BitBtnExportar->click();
    QCOMPARE(f.modals.pending(), 0);
    QCOMPARE(f.messages.last().text,
             QStringLiteral("2 linhas gravadas na planilha %1.").arg(QDir::toNativeSeparators(target + QStringLiteral(".csv"))));
    const sheets::Sheet sheet = sheets::readWorkbook(target + QStringLiteral(".csv")).sheet(QString());
    QCOMPARE(sheet.rows.size(), 3);
    QCOMPARE(sheet.rows[0].cell(0).text, QStringLiteral("CPF"));
    QCOMPARE(sheet.rows[1].cell(0).text, makeCpf(7)); // its zeros kept
    QCOMPARE(sheet.rows[1].cell(1).text, QStringLiteral("ANTONIO"));
    QCOMPARE(sheet.rows[2].cell(1).text, QStringLiteral("ZULMIRA"));
    QCOMPARE(sheet.rows[2].cell(4).text, QStringLiteral("Novo"));
    list.BitBtnSairClick();
}

void TestSheetsWindows::holderListExportThatFailsIsTold()
{
    SheetsFixture f;
    f.data.addHolder(QStringLiteral("ZULMIRA"), makeCpf(700000001));
    TFrm_Bolsistas list(f.sessao);
    list.create();
    list.show();
    const QString target = f.tmp.filePath(QStringLiteral("lista.xlsx"));
    f.modals.expect([&](QDialog* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        QVERIFY(dialog);
        dialog->selectFile(target);
        d->accept();
    });
    // The program's file-size limit, far below the file: the export ends in
    // the error report, in Portuguese, and leaves no file.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{2048, old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    const auto signal = std::signal(SIGXFSZ, SIG_IGN);
    list.BitBtnExportar->click();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, signal);
    QCOMPARE(f.modals.pending(), 0);
    QCOMPARE(f.messages.last().icon, plat::ui::MessageIcon::Error);
    QVERIFY2(f.messages.last().text.startsWith(
                 QStringLiteral("A planilha %1 não pôde ser gravada: ").arg(QDir::toNativeSeparators(target))),
             qPrintable(f.messages.last().text));
    QVERIFY(!f.messages.last().text.contains(QStringLiteral("ZIP")) && !f.messages.last().text.contains(QStringLiteral("rror")));
    QVERIFY(!QFile::exists(target));
    list.BitBtnSairClick();
}

QTEST_MAIN(TestSheetsWindows)
#include "test_sheets_windows.moc"
