// The verification window: a run with and without errors, the preview of the
// report, a run that fails, and its command on the main window.
#include "app/windows/TZelta.h"
#include "data/TDm_Dados.h"
#include "platform/db/Table.h"
#include "platform/ui/PreviewWindow.h"
#include "platform/ui/WindowChrome.h"
#include "support/TestHooks.h"
#include "support/TestData.h"
#include "validation/windows/PendenciasView.h"
#include "validation/windows/TFrm_Verifica.h"
#include "advisors/windows/TFrm_Cad_Orientador.h"
#include "advisors/windows/TFrm_Orientadores.h"
#include "platform/ui/DBGrid.h"
#include "holders/windows/TFrm_Cad_Bolsistas.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/RadioGroup.h"
#include "validation/TVlCpfCgc.h"

#include <QAction>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QLabel>
#include <QRadioButton>
#include <QHeaderView>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

using namespace zelta;
using plat::ui::MessageRecorder;
using plat::ui::ModalDriver;
using zelta::test::makeCpf;
using zelta::test::TestData;

namespace {

struct Fixture {
    TestData data;
    TVlCpfCgc validator;
    Sessao sessao;
    Fixture()
    {
        validator.loadStoredState();
        sessao.Dm_Dados = &data.dm();
        sessao.VerificarCpfCgc = &validator;
    }
    // Four errors: a holder without a sex, an advisor with an invalid CPF and
    // no titulação, and an advisor without holders.
    void addErrors()
    {
        const qint64 a = data.addAdvisor(makeCpf(200000001), QStringLiteral("ORIENTADOR COM BOLSISTA"));
        const qint64 b = data.addAdvisor(QStringLiteral("123.456.789-00"), QStringLiteral("ORIENTADOR SEM TITULO"), QString());
        data.addAdvisor(makeCpf(200000003), QStringLiteral("ORIENTADOR SOZINHO"));
        data.addHolder(QStringLiteral("BOLSISTA SEM SEXO"), makeCpf(3), QStringLiteral("Novo"), makeCpf(200000001), a, QString());
        data.addHolder(QStringLiteral("BOLSISTA COMPLETO"), makeCpf(4), QStringLiteral("Novo"), QStringLiteral("123.456.789-00"),
                       b);
    }
};

QStringList logLines(const TFrm_Verifica& w) { return w.MemoLog->toPlainText().split(u'\n'); }

} // namespace

class TestVerificaWindow : public QObject {
    Q_OBJECT
private slots:
    void layoutAndChrome();
    void runWithoutErrors();
    void runWithErrorsAndPrint();
    void failedRunRestoresCursor();
    void openedFromMainWindow();
    void pendingListOpensTheRecord();
    void pendingListCountsAndColumns();
    void correctingAnAdvisorWithoutHoldersOpensTheList();
};

void TestVerificaWindow::layoutAndChrome()
{
    Fixture f;
    TFrm_Verifica w(f.sessao);
    w.create();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QStringLiteral("Verificação de Preenchimento"));
    QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(w.MemoLog->isReadOnly());
    QVERIFY(w.MemoLog->toPlainText().isEmpty());
    QCOMPARE(w.MemoLog->focusPolicy(), Qt::ClickFocus);
    QVERIFY(w.BitBtnVerificar->isEnabled());
    QVERIFY(!w.BitBtnImprimir->isEnabled());
    QVERIFY(w.BitBtnSair->isEnabled());
    // Left only through "Sair".
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    w.BitBtnSair->click();
    QVERIFY(!w.isVisible());
}

void TestVerificaWindow::runWithoutErrors()
{
    Fixture f;
    const qint64 a = f.data.addAdvisor(makeCpf(200000001), QStringLiteral("ORIENTADOR"));
    f.data.addHolder(QStringLiteral("BOLSISTA"), makeCpf(3), QStringLiteral("Novo"), makeCpf(200000001), a);
    TFrm_Verifica w(f.sessao);
    w.create();
    w.show();
    MessageRecorder messages;
    w.BitBtnVerificar->click();
    QCOMPARE(messages.count(), 0);
    QCOMPARE(logLines(w).last(), QStringLiteral("Verificação Terminada. Nenhum erro encontrado."));
    QCOMPARE(logLines(w).size(), 10);
    QVERIFY(!w.BitBtnImprimir->isEnabled());
    QCOMPARE(f.data.count(QStringLiteral("ZELTAERR")), 0);
}

void TestVerificaWindow::runWithErrorsAndPrint()
{
    Fixture f;
    f.addErrors();
    TFrm_Verifica w(f.sessao);
    w.create();
    w.show();
    MessageRecorder messages;
    w.BitBtnVerificar->click();
    QCOMPARE(messages.count(), 0);
    const QStringList log = logLines(w);
    QCOMPARE(log.last(), QStringLiteral("Verificação Terminada. 4 erro(s) encontrado(s)."));
    QVERIFY(log.contains(QStringLiteral("..Bolsista BOLSISTA SEM SEXO")));
    QVERIFY(log.contains(QStringLiteral("....Titulação Inválida")));
    QVERIFY(w.BitBtnImprimir->isEnabled());
    QCOMPARE(w.ProgressBar1->value(), 100);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(f.data.count(QStringLiteral("ZELTAERR")), log.size());

    // "Imprimir" opens the preview of the stored lines, a new report each time.
    ModalDriver modals;
    int shown = 0;
    for (int i = 0; i < 2; ++i) {
        modals.expect([&](QDialog* d) {
            auto* preview = qobject_cast<plat::ui::PreviewWindow*>(d);
            QVERIFY(preview);
            ++shown;
            QCOMPARE(preview->windowTitle(), QStringLiteral("Relatório de Verificação de Preenchimento"));
            QCOMPARE(preview->pages().pageCount(), 1);
            const QStringList lines = preview->pages().pages.first().lines();
            QVERIFY(lines.contains(QStringLiteral("..Orientador ORIENTADOR SOZINHO")));
            QCOMPARE(lines.last(), log.last());
            preview->accept();
        });
        w.BitBtnImprimir->click();
    }
    QCOMPARE(shown, 2);
    QCOMPARE(modals.unexpected(), 0);

    // A new run disables "Imprimir" again when it finds nothing.
    f.data.db().exec(QStringLiteral("DELETE FROM ZELTAORI WHERE NOME IN ('ORIENTADOR SOZINHO', 'ORIENTADOR SEM TITULO')"));
    f.data.db().exec(QStringLiteral("DELETE FROM ZELTABOL WHERE Nome='BOLSISTA COMPLETO'"));
    f.data.db().exec(QStringLiteral("UPDATE ZELTABOL SET SEXO='M'"));
    w.BitBtnVerificar->click();
    QVERIFY(!w.BitBtnImprimir->isEnabled());
    QCOMPARE(logLines(w).last(), QStringLiteral("Verificação Terminada. Nenhum erro encontrado."));

    // Closing closes the error table.
    QVERIFY(f.data.dm().Tb_Erro_Bol_Ori->isOpen());
    w.BitBtnSair->click();
    QVERIFY(!f.data.dm().Tb_Erro_Bol_Ori->isOpen());
}

void TestVerificaWindow::failedRunRestoresCursor()
{
    Fixture f;
    f.addErrors();
    TFrm_Verifica w(f.sessao);
    w.create();
    w.show();
    w.BitBtnVerificar->click();
    QVERIFY(w.BitBtnImprimir->isEnabled());
    const int stored = f.data.count(QStringLiteral("ZELTAERR"));

    // The advisor table is gone: the run ends with the general error report,
    // the normal cursor, "Imprimir" disabled and the log as far as it got.
    f.data.db().exec(QStringLiteral("ALTER TABLE ZELTAORI RENAME TO ZELTAORI_OLD"));
    MessageRecorder messages;
    w.BitBtnVerificar->click();
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().kind, plat::ui::MessageKind::Error);
    QVERIFY(messages.last().text.contains(QStringLiteral("ZELTAORI")));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QVERIFY(!w.BitBtnImprimir->isEnabled());
    QCOMPARE(logLines(w), (QStringList{QStringLiteral("Verificando Arquivo de Bolsistas."), QStringLiteral(" ")}));
    QVERIFY(stored > 0);
    QCOMPARE(f.data.count(QStringLiteral("ZELTAERR")), 0);
    f.data.db().exec(QStringLiteral("ALTER TABLE ZELTAORI_OLD RENAME TO ZELTAORI"));
}

void TestVerificaWindow::openedFromMainWindow()
{
    Fixture f;
    TZelta zelta;
    zelta.setDataModule(&f.data.dm());
    ModalDriver modals;
    bool opened = false;
    modals.expect([&](QDialog* d) {
        auto* w = qobject_cast<TFrm_Verifica*>(d);
        opened = w != nullptr;
        if (w)
            w->BitBtnSair->click();
    });
    QAction* action = zelta.commandAction(TZelta::Command::Verificacao);
    QVERIFY(action);
    QCOMPARE(action->text().remove(u'&'), QStringLiteral("Verificação do Preenchimento"));
    QVERIFY(action->isEnabled());
    action->trigger();
    QVERIFY(opened);
}

namespace {

// The rows of the list, one string a row.
QStringList rows(const PendenciasView& view)
{
    QStringList out;
    const QAbstractItemModel* m = view.GridPendencias->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->index(r, c).data().toString();
        out << cells.join(u'|');
    }
    return out;
}

} // namespace

void TestVerificaWindow::pendingListOpensTheRecord()
{
    Fixture f;
    f.addErrors();
    TFrm_Verifica w(f.sessao);
    w.create();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    MessageRecorder messages;
    w.BitBtnVerificar->click();
    const QString bad = QStringLiteral("123.456.789-00");
    PendenciasView& view = *w.Pendencias;
    QCOMPARE(rows(view), (QStringList{
                             QStringLiteral("Bolsista|BOLSISTA SEM SEXO|") + makeCpf(3) + QStringLiteral("|Sexo Inválido|Sim"),
                             QStringLiteral("Orientador|ORIENTADOR SEM TITULO|") + bad + QStringLiteral("|CPF Inválido|Não"),
                             QStringLiteral("|||Titulação Inválida|Sim"),
                             QStringLiteral("Orientador|ORIENTADOR SOZINHO|") + makeCpf(200000003)
                                 + QStringLiteral("|Orientador não Vinculado a Bolsista|Sim"),
                         }));
    QCOMPARE(view.LabelPendencias->text(), QStringLiteral("4 pendência(s) em 3 registro(s)"));

    // Enter on the holder's row opens its form with the focus on the sex; the
    // sex chosen and confirmed, the entry shows the problem solved.
    ModalDriver modal;
    bool focusOnSex = false;
    modal.expect([&](QDialog* d) {
        auto* form = qobject_cast<TFrm_Cad_Bolsistas*>(d);
        if (!form)
            return;
        focusOnSex = form->focusWidget() == static_cast<QWidget*>(form->RadioSexo->button(0));
        form->RadioSexo->setItemIndex(1);
        form->SpeedConfirma->click();
    });
    view.GridPendencias->selectRow(0);
    QTest::keyClick(view.GridPendencias, Qt::Key_Return);
    QCOMPARE(modal.shown(), QStringList{QStringLiteral("zelta::TFrm_Cad_Bolsistas")});
    QVERIFY(focusOnSex);
    QCOMPARE(f.data.db().scalar(QStringLiteral("SELECT SEXO FROM ZELTABOL WHERE Nome='BOLSISTA SEM SEXO'")).toString(),
             QStringLiteral("M"));
    QCOMPARE(rows(view).first(),
             QStringLiteral("Bolsista|BOLSISTA SEM SEXO|") + makeCpf(3) + QStringLiteral("|Sexo Inválido (resolvida)|"));
    QCOMPARE(view.LabelPendencias->text(), QStringLiteral("3 pendência(s) em 2 registro(s)"));
    QVERIFY(!f.data.dm().Tb_Bolsistas->isOpen());

    // "Corrigir" on the advisor's CPF opens it on the titulação: an edit
    // keeps the CPF closed.
    bool focusOnDegree = false;
    modal.expect([&](QDialog* d) {
        auto* form = qobject_cast<TFrm_Cad_Orientador*>(d);
        if (!form)
            return;
        focusOnDegree = form->focusWidget() == static_cast<QWidget*>(form->RadioTitulacao->button(0))
                        && !form->DBEdCpf->isEnabled();
        form->SpeedButton2->click();
    });
    view.GridPendencias->selectRow(1);
    view.BitBtnCorrigir->click();
    QCOMPARE(modal.shown().last(), QStringLiteral("zelta::TFrm_Cad_Orientador"));
    QVERIFY(focusOnDegree);
    QCOMPARE(view.LabelPendencias->text(), QStringLiteral("3 pendência(s) em 2 registro(s)"));
    QCOMPARE(modal.unexpected(), 0);
    // The log is what the run wrote.
    QCOMPARE(logLines(w).last(), QStringLiteral("Verificação Terminada. 4 erro(s) encontrado(s)."));
    w.BitBtnSair->click();
}

// The access keys of a window's buttons and boxes, by letter.
static QMultiHash<QChar, QString> accessKeys(QWidget* window)
{
    QMultiHash<QChar, QString> keys;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (const qsizetype at = b->text().indexOf(u'&'); at >= 0 && at + 1 < b->text().size())
            keys.insert(b->text().at(at + 1).toUpper(), b->text());
    return keys;
}

void TestVerificaWindow::pendingListCountsAndColumns()
{
    Fixture f;
    f.addErrors();
    // A long name, and a title only the entry form asks for.
    const QString longName = QStringLiteral("ÁLVARO BEATRIZ DE ALBUQUERQUE CAVALCANTI MONTENEGRO SIQUEIRA");
    QCOMPARE(longName.size(), 60);
    const qint64 c = f.data.addAdvisor(makeCpf(200000004), longName, QStringLiteral("D"), QString());
    f.data.addHolder(QStringLiteral("BOLSISTA DO ÁLVARO"), makeCpf(5), QStringLiteral("Novo"), makeCpf(200000004), c);
    TFrm_Verifica w(f.sessao);
    w.create();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    PendenciasView& view = *w.Pendencias;
    // Before any run the list says nothing.
    QVERIFY(view.LabelPendencias->text().isEmpty());
    QVERIFY(!view.BitBtnCorrigir->isEnabled());
    // One access key for "Corrigir", taken by nothing else in the window.
    plat::ui::prepareDialog(&w);
    QCOMPARE(view.BitBtnCorrigir->text(), QStringLiteral("C&orrigir"));
    const QMultiHash<QChar, QString> keys = accessKeys(&w);
    QCOMPARE(keys.values(u'O'), QStringList{QStringLiteral("C&orrigir")});
    for (const QChar k : keys.uniqueKeys())
        QVERIFY2(keys.count(k) == 1, qPrintable(keys.values(k).join(u',')));

    const QPoint centre = w.frameGeometry().center();
    w.BitBtnVerificar->click();
    QCOMPARE(logLines(w).last(), QStringLiteral("Verificação Terminada. 4 erro(s) encontrado(s)."));
    QCOMPARE(view.LabelPendencias->text(), QStringLiteral("5 pendência(s) em 4 registro(s), 1 delas só do formulário"));

    // The name whole, the message whole, the table's width used.
    QTableView* grid = view.GridPendencias;
    const QFontMetrics fm = grid->fontMetrics();
    QVERIFY(grid->columnWidth(1) >= fm.horizontalAdvance(longName));
    QVERIFY(grid->columnWidth(3) >= fm.horizontalAdvance(QStringLiteral("Orientador não Vinculado a Bolsista")));
    QVERIFY(grid->columnWidth(2) >= fm.horizontalAdvance(makeCpf(3)));
    int total = 0;
    for (int col = 0; col < grid->model()->columnCount(); ++col)
        total += grid->columnWidth(col);
    QVERIFY(total >= grid->viewport()->width());
    // The window made room for the list about its centre, within the screen.
    const QRect area = w.screen()->availableGeometry();
    QVERIFY(area.contains(w.frameGeometry()) || w.width() >= area.width());
    QVERIFY((w.frameGeometry().center() - centre).manhattanLength() <= 2 || !area.contains(QRect(centre, QSize(1, 1))));

    // A holder with two failing checks, whom the log counts once, and one
    // whose CPF only the generation refuses (repeated digits).
    f.data.db().exec(QStringLiteral("UPDATE ZELTABOL SET DATA_NASCIMENTO=NULL WHERE Nome='BOLSISTA SEM SEXO'"));
    f.data.addHolder(QStringLiteral("BOLSISTA REPETIDO"), QStringLiteral("111.111.111-11"), QStringLiteral("Novo"),
                     makeCpf(200000004), c);
    w.BitBtnVerificar->click();
    QCOMPARE(logLines(w).last(), QStringLiteral("Verificação Terminada. 4 erro(s) encontrado(s)."));
    QCOMPARE(view.LabelPendencias->text(),
             QStringLiteral("7 pendência(s) em 5 registro(s), 1 delas só do formulário, 1 só da geração do arquivo, "
                            "1 que o log conta junto com outra do registro"));

    // A run that finds nothing says so.
    f.data.db().exec(QStringLiteral("DELETE FROM ZELTABOL"));
    f.data.db().exec(QStringLiteral("DELETE FROM ZELTAORI"));
    w.BitBtnVerificar->click();
    QCOMPARE(view.LabelPendencias->text(), QStringLiteral("Nenhuma pendência"));
    w.BitBtnSair->click();
}

void TestVerificaWindow::correctingAnAdvisorWithoutHoldersOpensTheList()
{
    Fixture f;
    f.addErrors();
    TFrm_Verifica w(f.sessao);
    w.create();
    w.show();
    w.BitBtnVerificar->click();
    PendenciasView& view = *w.Pendencias;
    QCOMPARE(rows(view).at(3), QStringLiteral("Orientador|ORIENTADOR SOZINHO|") + makeCpf(200000003)
                                   + QStringLiteral("|Orientador não Vinculado a Bolsista|Sim"));

    // The advisor list opens on that advisor, where "Excluir" deletes it.
    ModalDriver modal;
    MessageRecorder messages;
    messages.answer(plat::ui::Answer::Yes);
    QString current;
    modal.expect([&](QDialog* d) {
        auto* list = qobject_cast<TFrm_Orientadores*>(d);
        QVERIFY(list);
        current = f.data.dm().Tb_Orientador->field(QStringLiteral("NOME")).asString();
        list->BitBtn3->click();
        list->BitBtn4->click();
    });
    view.GridPendencias->selectRow(3);
    view.BitBtnCorrigir->click();
    QCOMPARE(modal.shown(), QStringList{QStringLiteral("zelta::TFrm_Orientadores")});
    QCOMPARE(modal.unexpected(), 0);
    QCOMPARE(current, QStringLiteral("ORIENTADOR SOZINHO"));
    QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 2);
    QVERIFY(rows(view).at(3).endsWith(QStringLiteral("(resolvida)|")));
    QCOMPARE(view.LabelPendencias->text(), QStringLiteral("3 pendência(s) em 2 registro(s)"));
    QVERIFY(!f.data.dm().Tb_Orientador->isOpen());
    w.BitBtnSair->click();
}

QTEST_MAIN(TestVerificaWindow)
#include "test_verifica_window.moc"
