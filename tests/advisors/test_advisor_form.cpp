// The advisor entry form and the knowledge-area picker, driven as the user
// does: typing into the boxes, leaving them, clicking the buttons.
#include "AdvisorFixture.h"
#include "support/SourceTree.h"

#include "advisors/AdvisorRules.h"
#include "advisors/windows/TFrm_Cad_Orientador.h"
#include "advisors/windows/TFrm_Orientadores.h"
#include "advisors/windows/TFrm_SubArea.h"
#include "data/TDm_Dados.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/Help.h"
#include "platform/ui/HelpViewer.h"
#include "platform/ui/MaskEdit.h"
#include "platform/ui/RadioGroup.h"
#include "validation/Completude.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

using namespace zelta;
using namespace zelta::test;
using plat::db::Table;
using plat::ui::MessageKind;

namespace {

std::unique_ptr<TFrm_Cad_Orientador> openForm(AdvisorFixture& f, bool novo)
{
    using Modo = TFrm_Cad_Orientador::Modo;
    f.dm().Tb_Orientador->open(); // the list has it open
    auto form = std::make_unique<TFrm_Cad_Orientador>(f.dm(), f.validator, novo ? Modo::Novo : Modo::Editar,
                                                      f.sessao.SubArea_Selecionada);
    form->create();
    form->show();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("the entry form did not become active");
    return form;
}

QString advisorField(AdvisorFixture& f, const QString& field, qint64 codigo)
{
    return f.value(QStringLiteral("SELECT %1 FROM ZELTAORI WHERE Codigo=?").arg(field), {codigo});
}

} // namespace

class TestAdvisorForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("zelta99")); }

    void aNewAdvisorWaitsForAValidCpf()
    {
        AdvisorFixture f;
        auto form = openForm(f, true);
        QCOMPARE(form->windowTitle(), QStringLiteral("Novo Orientador"));
        QCOMPARE(f.dm().Tb_Orientador->state(), Table::State::Insert);
        const QList<QWidget*> entry{form->DBEdOrientador, form->RadioTitulacao, form->DBMemoTitulo,   form->DBEdPalavra1,
                                    form->DBEdPalavra2,   form->DBEdPalavra3,   form->RadioCategoria, form->SpeedConfirma};
        for (QWidget* w : entry)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        for (QWidget* w :
             QList<QWidget*>{form->DBEdCpf, form->EditArea, form->SpeedButton1, form->RadioPesquisador, form->SpeedButton2})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));

        // Leaving an empty, then a wrong CPF: the "Atenção" box, the focus stays.
        form->DBEdCpf->setFocus();
        leave(form->DBEdCpf);
        enterCpf(*form, QStringLiteral("123.456.789-00"));
        QCOMPARE(f.messages.texts(), QStringList(2, QStringLiteral("Favor verificar o CPF")));
        QCOMPARE(f.messages.last().kind, MessageKind::Attention);
        QCOMPARE(f.messages.last().caption, QStringLiteral("Atenção"));
        QCOMPARE(f.messages.last().icon, plat::ui::MessageIcon::None);
        QVERIFY(form->DBEdCpf->hasFocus());
        QVERIFY(!form->SpeedConfirma->isEnabled());

        const QString cpf = makeCpf(123456789);
        enterCpf(*form, cpf);
        QCOMPARE(f.messages.count(), 2);
        for (QWidget* w : entry.mid(0, 6))
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(form->SpeedConfirma->isEnabled());
        QVERIFY(!form->RadioCategoria->isEnabled());
        QVERIFY(!form->DBEdCpf->isEnabled());
        QVERIFY(form->DBEdOrientador->hasFocus());
        QCOMPARE(f.dm().Tb_Orientador->field(QStringLiteral("CPF")).asString(), cpf);
    }

    void aHolderCpfIsRefusedAnotherAdvisorsIsNot()
    {
        AdvisorFixture f;
        const QString holder = makeCpf(111);
        const QString colleague = makeCpf(222);
        f.data.addHolder(QStringLiteral("JOSÉ DA SILVA"), holder);
        f.data.addAdvisor(colleague, QStringLiteral("OUTRO PROJETO"));
        auto form = openForm(f, true);

        // "Sim" chosen before the CPF is undone once a free CPF is accepted.
        form->RadioPesquisador->button(0)->click();
        QVERIFY(form->RadioCategoria->isEnabled());
        form->RadioCategoria->button(1)->click();

        enterCpf(*form, holder);
        QCOMPARE(f.messages.count(), 1);
        QCOMPARE(f.messages.last().kind, MessageKind::Plain);
        QCOMPARE(f.messages.last().text, QStringLiteral("CPF já utilizado pelo bolsista\n\rJOSÉ DA SILVA\n\r"));
        QCOMPARE(f.messages.last().caption, QStringLiteral("zelta99"));
        QVERIFY(!form->SpeedConfirma->isEnabled());
        QVERIFY(form->DBEdCpf->isEnabled());
        QVERIFY(form->DBEdCpf->hasFocus());
        QVERIFY(form->DBEdOrientador->isEnabled());
        QVERIFY(!f.dm().Tb_Bolsistas->isOpen());
        QCOMPARE(form->RadioPesquisador->itemIndex(), 0);

        enterCpf(*form, colleague);
        QCOMPARE(f.messages.count(), 1);
        QVERIFY(form->SpeedConfirma->isEnabled());
        QCOMPARE(form->RadioPesquisador->itemIndex(), 1);
        QCOMPARE(form->RadioCategoria->itemIndex(), -1);
        QVERIFY(!form->RadioCategoria->isEnabled());

        form->SpeedButton2->click();             // Cancelar
        QVERIFY(!f.dm().Tb_Bolsistas->isOpen()); // given back when the form closed
    }

    void confirmStoresTheCodedValues()
    {
        AdvisorFixture f;
        auto form = openForm(f, true);
        enterCpf(*form, makeCpf(5));
        fillRequired(f, *form);
        QCOMPARE(form->EditSubarea->text(), QStringLiteral("FISICA DO SOLO"));
        form->DBMemoTitulo->selectAll();
        QTest::keyClick(form->DBMemoTitulo, Qt::Key_Delete);
        typeText(form->DBMemoTitulo, QStringLiteral("análise de dados"));
        form->RadioTitulacao->button(1)->click();
        form->RadioPesquisador->button(0)->click(); // "Sim" without a category
        form->SpeedConfirma->click();

        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QVERIFY(!form->isVisible());
        const qint64 codigo = f.value(QStringLiteral("SELECT max(Codigo) FROM ZELTAORI")).toLongLong();
        QVERIFY(codigo > 0);
        QCOMPARE(advisorField(f, QStringLiteral("NOME"), codigo), QStringLiteral("MARIA SOUZA"));
        QCOMPARE(advisorField(f, QStringLiteral("CPF"), codigo), makeCpf(5));
        QCOMPARE(advisorField(f, QStringLiteral("TITULACAO"), codigo), QStringLiteral("M"));
        QCOMPARE(advisorField(f, QStringLiteral("TITULO"), codigo), QStringLiteral("ANÁLISE DE DADOS"));
        QCOMPARE(advisorField(f, QStringLiteral("P_CHAVE1"), codigo), QStringLiteral("SOLO"));
        QCOMPARE(advisorField(f, QStringLiteral("PESQUISADOR"), codigo), QStringLiteral("S"));
        QCOMPARE(advisorField(f, QStringLiteral("CATEGORIA"), codigo), QStringLiteral("  "));
        const QString code = f.value(QStringLiteral("SELECT CODIGO FROM GRANDE_A WHERE SUBAREA='FISICA DO SOLO'"));
        QCOMPARE(advisorField(f, QStringLiteral("COD_AREA"), codigo), areaCodeDigits(code));
        QCOMPARE(form->nome(), QStringLiteral("MARIA SOUZA"));
        QVERIFY(!f.dm().Tb_SubArea->isOpen());
        QVERIFY(!f.dm().Tb_SelOrientador->isOpen());
    }

    void failingChecksKeepTheRecordPending()
    {
        AdvisorFixture f;
        auto form = openForm(f, true);
        enterCpf(*form, makeCpf(6));
        form->SpeedConfirma->click(); // name, degree, title, keywords and area all missing
        QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Área preenchimento obrigatório")});
        QVERIFY(form->isVisible());
        QCOMPARE(f.dm().Tb_Orientador->state(), Table::State::Insert);

        fillRequired(f, *form);
        typeInto(form->DBEdPalavra3, QStringLiteral("solo")); // keywords A, empty, A
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.last().text, QStringLiteral("Palavra chave 1 igual Palavra chave 3"));
        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 0);

        // "Sim" with a category, then "Não": no category is stored.
        form->RadioPesquisador->button(0)->click();
        form->RadioCategoria->button(4)->click();
        form->RadioPesquisador->button(1)->click();
        QCOMPARE(form->RadioCategoria->itemIndex(), -1);
        form->DBEdPalavra3->selectAll();
        QTest::keyClick(form->DBEdPalavra3, Qt::Key_Delete);
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.count(), 2);
        QCOMPARE(f.value(QStringLiteral("SELECT PESQUISADOR || CATEGORIA || '|' FROM ZELTAORI")), QStringLiteral("   |"));
    }

    void areaCodeTypedOrPicked()
    {
        AdvisorFixture f;
        auto form = openForm(f, true);
        const QString solo = f.value(QStringLiteral("SELECT CODIGO FROM GRANDE_A WHERE SUBAREA='FISICA DO SOLO'"));

        // The form opens in the CPF box: a valid CPF first, so that the code
        // box can be entered.
        enterCpf(*form, makeCpf(7));

        // Leaving the empty code box does nothing.
        form->EditArea->setFocus();
        leave(form->EditArea);
        QCOMPARE(f.messages.count(), 0);

        // A code the table does not hold: the five-line message, focus back.
        form->EditArea->setFocus();
        QTest::keyClicks(form->EditArea, QStringLiteral("99999999"));
        leave(form->EditArea);
        QCOMPARE(f.messages.count(), 1);
        QCOMPARE(f.messages.last().text, advisorText::areaNotFound());
        QCOMPARE(f.messages.last().kind, MessageKind::Plain);
        QVERIFY(form->EditArea->hasFocus());
        QCOMPARE(form->EditSubarea->text(), QString());

        form->EditArea->selectAll();
        QTest::keyClicks(form->EditArea, areaCodeDigits(solo));
        leave(form->EditArea);
        QCOMPARE(form->EditSubarea->text(), QStringLiteral("FISICA DO SOLO"));
        // Tab goes from the code box to the picker button, then to the title.
        QCOMPARE(QApplication::focusWidget(), form->SpeedButton1);
        QTest::keyClick(form->SpeedButton1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->DBMemoTitulo);
        QTest::keyClick(form->DBMemoTitulo, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), form->SpeedButton1);

        // A code typed but not left counts for nothing: the name shown decides.
        fillRequired(f, *form);
        form->EditArea->setFocus();
        form->EditArea->selectAll();
        QTest::keyClicks(form->EditArea, QStringLiteral("10100000"));
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.count(), 1);
        QCOMPARE(f.value(QStringLiteral("SELECT COD_AREA FROM ZELTAORI")), areaCodeDigits(solo));
    }

    void thePickerButtonAppliesTheLastPickedArea()
    {
        AdvisorFixture f;
        auto form = openForm(f, true);

        // Cancelled before any area was ever returned: the name box empties.
        f.modals.expect([](QDialog* d) { static_cast<TFrm_SubArea*>(d)->BitBtn2->click(); });
        form->SpeedButton1->click();
        QCOMPARE(form->EditSubarea->text(), QString());
        const QString current = f.dm().Tb_SubArea->field(QStringLiteral("CODIGO")).asString();
        QCOMPARE(form->EditArea->value(), current);

        // A level-2 node, then "Cancelar": the same area is applied again.
        f.modals.expect([](QDialog* d) {
            auto* p = static_cast<TFrm_SubArea*>(d);
            QTreeWidgetItem* agronomia = p->Outline1->topLevelItem(1);
            p->Outline1->expandItem(agronomia);
            p->Outline1->setCurrentItem(agronomia->child(1)); // FITOSSANIDADE
            p->BitBtn1->click();
        });
        form->SpeedButton1->click();
        f.modals.expect([](QDialog* d) { static_cast<TFrm_SubArea*>(d)->BitBtn2->click(); });
        form->SpeedButton1->click();
        QCOMPARE(f.modals.shown(), QStringList(3, QStringLiteral("zelta::TFrm_SubArea")));
        QCOMPARE(form->subArea(), QStringLiteral("FITOSSANIDADE"));
        QCOMPARE(form->EditSubarea->text(), QStringLiteral("FITOSSANIDADE"));
        QCOMPARE(form->EditArea->value(), f.value(QStringLiteral("SELECT CODIGO FROM GRANDE_A WHERE SUBAREA='FITOSSANIDADE'")));
    }

    void editModeShowsTheStoredValues()
    {
        AdvisorFixture f;
        // A stored code the area table lacks shows the next area in code order.
        const qint64 codigo = f.data.addAdvisor(makeCpf(8), QStringLiteral("PEDRO"), QStringLiteral("M"),
                                                QStringLiteral("TITULO"), QStringLiteral("10100001"));
        f.data.db().exec(QStringLiteral("UPDATE ZELTAORI SET PESQUISADOR='S', CATEGORIA='2B'"));
        const QString next = f.value(
            QStringLiteral("SELECT CODIGO FROM GRANDE_A WHERE CODIGO>='1.01.00.00-1' ORDER BY CODIGO LIMIT 1"));
        auto form = openForm(f, false);
        QCOMPARE(form->windowTitle(), QStringLiteral("Editar o Orientador"));
        QCOMPARE(f.dm().Tb_Orientador->state(), Table::State::Edit);
        QVERIFY(!form->DBEdCpf->isEnabled());
        QVERIFY(form->SpeedConfirma->isEnabled());
        QCOMPARE(form->DBEdCpf->value(), makeCpf(8));
        QCOMPARE(form->DBEdOrientador->text(), QStringLiteral("PEDRO"));
        QCOMPARE(form->RadioTitulacao->itemIndex(), 1);
        QCOMPARE(form->RadioPesquisador->itemIndex(), 0);
        QCOMPARE(form->RadioCategoria->itemIndex(), 4);
        QVERIFY(form->RadioCategoria->isEnabled());
        QCOMPARE(form->EditArea->value(), QStringLiteral("1.01.00.00-1"));
        QCOMPARE(form->EditSubarea->text(), f.value(QStringLiteral("SELECT SUBAREA FROM GRANDE_A WHERE CODIGO=?"), {next}));

        form->SpeedConfirma->click();
        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(advisorField(f, QStringLiteral("COD_AREA"), codigo), areaCodeDigits(next));
        QCOMPARE(advisorField(f, QStringLiteral("CATEGORIA"), codigo), QStringLiteral("2B"));
        QCOMPARE(form->nome(), QStringLiteral("PEDRO"));
    }

    void emptyAreaCodeShowsTheFirstArea()
    {
        AdvisorFixture f;
        f.data.addAdvisor(makeCpf(9), QStringLiteral("RITA"), QStringLiteral("X"), QStringLiteral("T"), QString());
        auto form = openForm(f, false);
        QCOMPARE(form->RadioTitulacao->itemIndex(), -1);
        QCOMPARE(form->RadioPesquisador->itemIndex(), 1);
        QVERIFY(!form->RadioCategoria->isEnabled());
        QCOMPARE(form->EditSubarea->text(), f.value(QStringLiteral("SELECT SUBAREA FROM GRANDE_A ORDER BY CODIGO LIMIT 1")));
    }

    // What the form refuses on a stored advisor, the list of problems names:
    // one thing wrong at a time, the list's field and "Confirma"'s message.
    // check -1: nothing is refused, and nothing is listed.
    void listNamesWhatTheFormRefuses_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("check");
        QTest::addColumn<int>("campo");
        QTest::addColumn<bool>("stops");
        auto row = [](const char* name, const char* change, int check, Campo campo, bool stops) {
            QTest::newRow(name) << QString::fromUtf8(change) << check << int(campo) << stops;
        };
        using C = AdvisorCheck;
        row("name", "UPDATE ZELTAORI SET NOME=''", int(C::Nome), Campo::Nome, false);
        row("degree X", "UPDATE ZELTAORI SET TITULACAO='X'", int(C::Titulacao), Campo::Titulacao, false);
        row("no degree", "UPDATE ZELTAORI SET TITULACAO=''", int(C::Titulacao), Campo::Titulacao, true);
        row("title", "UPDATE ZELTAORI SET TITULO=''", int(C::Titulo), Campo::Titulo, false);
        row("no key word", "UPDATE ZELTAORI SET P_CHAVE1=''", int(C::PalavraChave), Campo::PalavraChave, true);
        row("key words 1 and 2", "UPDATE ZELTAORI SET P_CHAVE2=P_CHAVE1", int(C::Palavras12), Campo::Chave1IgualChave2, false);
        row("key words 1 and 3", "UPDATE ZELTAORI SET P_CHAVE3=P_CHAVE1", int(C::Palavras13), Campo::Chave1IgualChave3, false);
        row("key words 2 and 3", "UPDATE ZELTAORI SET P_CHAVE2='B', P_CHAVE3='B'", int(C::Palavras23), Campo::Chave2IgualChave3,
            false);
        row("no area names the code", "DELETE FROM GRANDE_A", int(C::Area), Campo::CodArea, false);
        row("a code past the last area shows the last", "UPDATE ZELTAORI SET COD_AREA='99999999'", -1, Campo::CodArea, false);
    }
    void listNamesWhatTheFormRefuses()
    {
        QFETCH(QString, change);
        QFETCH(int, check);
        QFETCH(int, campo);
        QFETCH(bool, stops);
        AdvisorFixture f;
        const qint64 codigo = f.data.addAdvisor(makeCpf(900), QStringLiteral("JOSE"));
        f.data.addHolder(QStringLiteral("ANA"), makeCpf(1), QStringLiteral("Novo"), makeCpf(900), codigo);
        Completude walk(f.dm().database(), Regras::verificacao(f.validator));
        QVERIFY(walk.orientador(codigo)->pendencias.isEmpty());
        f.data.db().exec(change);

        // The walk of the whole register and the check of one record agree.
        const QList<Pendencia> one = walk.orientador(codigo)->pendencias;
        const ListaPendencias all = listarPendencias(f.dm().database(), f.dm().holderOrdering(), f.dm().advisorOrdering(),
                                                     Regras::verificacao(f.validator));
        QCOMPARE(all.registros.size(), check < 0 ? 0 : 1);
        QCOMPARE(one.size(), check < 0 ? 0 : 1);
        if (check >= 0) {
            QCOMPARE(all.registros.first().pendencias.size(), 1);
            QCOMPARE(int(one.first().campo), campo);
            QCOMPARE(one.first().impedeGeracao, stops);
            if (!stops)
                QCOMPARE(one.first().mensagem, advisorCheckMessage(AdvisorCheck(check)));
        }

        auto form = openForm(f, false);
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.texts(), check < 0 ? QStringList() : QStringList{advisorCheckMessage(AdvisorCheck(check))});
        if (form->isVisible())
            form->SpeedButton2->click();
    }

    void cancelLeavesNoRecordAndRestoresAnEdit()
    {
        AdvisorFixture f;
        {
            auto form = openForm(f, true);
            enterCpf(*form, makeCpf(10));
            typeInto(form->DBEdOrientador, QStringLiteral("NINGUEM"));
            form->SpeedButton2->click();
            QCOMPARE(form->result(), int(QDialog::Rejected));
        }
        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 0);
        QCOMPARE(f.dm().Tb_Orientador->state(), Table::State::Browse);

        f.data.addAdvisor(makeCpf(11), QStringLiteral("LUCAS"));
        f.dm().Tb_Orientador->refresh();
        f.dm().Tb_Orientador->first();
        {
            auto form = openForm(f, false);
            typeInto(form->DBEdOrientador, QStringLiteral(" NETO"));
            QCOMPARE(f.dm().Tb_Orientador->field(QStringLiteral("NOME")).asString(), QStringLiteral("LUCAS NETO"));
            // Esc outside a changed box does not drop the entry: the form is
            // left only through its two buttons.
            QTest::keyClick(form.get(), Qt::Key_Escape);
            QVERIFY(form->isVisible());
            QCOMPARE(f.dm().Tb_Orientador->state(), Table::State::Edit);
            form->SpeedButton2->click();
            QCOMPARE(form->result(), int(QDialog::Rejected));
        }
        f.dm().Tb_Orientador->first(); // a pending record would be posted by a move
        QCOMPARE(f.value(QStringLiteral("SELECT NOME FROM ZELTAORI")), QStringLiteral("LUCAS"));
    }

    void contextHelpOfTheFields()
    {
        AdvisorFixture f;
        auto form = openForm(f, true);
        QCOMPARE(plat::ui::helpContextFor(form->DBEdCpf), 1);
        QCOMPARE(plat::ui::helpContextFor(form->DBEdOrientador), 2);
        QCOMPARE(plat::ui::helpContextFor(form->DBMemoTitulo), 4);
        QCOMPARE(plat::ui::helpContextFor(form->DBEdPalavra3), 5);
        QCOMPARE(plat::ui::helpContextFor(form->EditArea), 0);

        plat::ui::installContextHelp(qApp);
        plat::ui::setHelpFile(QDir(zelta::test::sourceDir()).filePath(QStringLiteral("resources/zelta99.html")));
        QString anchor;
        f.modals.expect([&](QDialog* d) { anchor = static_cast<plat::ui::HelpViewer*>(d)->anchor(); });
        form->DBEdCpf->setFocus();
        QTest::keyClick(form->DBEdCpf, Qt::Key_F1);
        QCOMPARE(anchor, plat::ui::helpTopicAnchor(1));
    }

    void thePickerShowsTheFoldedTree()
    {
        TFrm_SubArea picker(QStringLiteral("ANTES"));
        QCOMPARE(picker.windowTitle(), QStringLiteral("Sub-Área"));
        QCOMPARE(picker.Outline1->topLevelItemCount(), 76);
        int nodes = 0;
        int expanded = 0;
        for (QTreeWidgetItemIterator it(picker.Outline1); *it; ++it) {
            ++nodes;
            expanded += (*it)->isExpanded() ? 1 : 0;
        }
        QCOMPARE(nodes, 1283);
        QCOMPARE(expanded, 0);
        QCOMPARE(picker.Outline1->topLevelItem(75)->text(0), QStringLiteral("ZOOTECNIA"));

        picker.BitBtn2->click(); // Cancelar
        QCOMPARE(picker.subArea(), QStringLiteral("ANTES"));
        TFrm_SubArea again(QStringLiteral("ANTES"));
        again.BitBtn1->click(); // Retornar at once
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(again.subArea(), QStringLiteral("ADMINISTRACAO"));
    }

    void enterInThePickerPressesTheFocusedButton()
    {
        {
            TFrm_SubArea picker(QStringLiteral("ANTES"));
            picker.show();
            activate(&picker);
            picker.BitBtn2->setFocus();
            QTest::keyClick(picker.BitBtn2, Qt::Key_Return);
            QCOMPARE(picker.result(), int(QDialog::Rejected));
            QCOMPARE(picker.subArea(), QStringLiteral("ANTES"));
        }
        TFrm_SubArea picker(QStringLiteral("ANTES"));
        picker.show();
        activate(&picker);
        picker.Outline1->setFocus();
        picker.Outline1->setCurrentItem(picker.Outline1->topLevelItem(75));
        QTest::keyClick(picker.Outline1, Qt::Key_Enter);
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(picker.subArea(), QStringLiteral("ZOOTECNIA"));
    }
};

QTEST_MAIN(TestAdvisorForm)
#include "test_advisor_form.moc"
