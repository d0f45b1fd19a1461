// The advisor list (search, new, edit, delete) and the reassignment of the
// holders of a deleted advisor, driven through the real windows.
#include "AdvisorFixture.h"

#include "advisors/windows/TFrm_Cad_Orientador.h"
#include "advisors/windows/TFrm_ExOrientador.h"
#include "advisors/windows/TFrm_Orientadores.h"
#include "app/windows/TZelta.h"
#include "data/TDm_Dados.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/MaskEdit.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>

#include <memory>

using namespace zelta;
using namespace zelta::test;
using plat::ui::Answer;
using plat::ui::MessageKind;

namespace {

std::unique_ptr<TFrm_Orientadores> openList(AdvisorFixture& f)
{
    auto list = std::make_unique<TFrm_Orientadores>(f.sessao);
    list->create();
    list->show();
    if (!QTest::qWaitForWindowActive(list.get()))
        qWarning("the advisor list did not become active");
    return list;
}

QString currentName(AdvisorFixture& f) { return f.dm().Tb_Orientador->field(QStringLiteral("NOME")).asString(); }

void search(plat::ui::MaskEdit* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    typeText(box, text);
}

// In the reassignment window: gives the holder of that name the advisor found
// by the search text.
void moveHolder(TFrm_ExOrientador* w, const QString& holder, const QString& advisor)
{
    plat::ui::CursorModel* rows = w->DBGrid1->cursorModel();
    for (int r = 0; r < rows->rowCount(); ++r)
        if (rows->data(rows->index(r, 0)).toString() == holder)
            w->DBGrid1->setCurrentIndex(rows->index(r, 0));
    search(w->EdOrientador, advisor);
    w->BitBtn1->click();
}

int marks(AdvisorFixture& f)
{
    return f
        .value(QStringLiteral("SELECT (SELECT count(*) FROM ZELTAORI WHERE ALTERA='S') + "
                              "(SELECT count(*) FROM ZELTABOL WHERE ALTERA='S' OR trim(CPF_EXORIENTADOR)<>'')"))
        .toInt();
}

QString link(AdvisorFixture& f, const QString& holder)
{
    return f.value(QStringLiteral("SELECT CPF_ORIENTADOR || '#' || NUMERO_ORIENTADOR FROM ZELTABOL WHERE Nome=?"), {holder});
}

QString linkTo(const QString& cpf, qint64 codigo) { return cpf + u'#' + QString::number(codigo); }

// An advisor being deleted with two holders, and two other advisors.
struct Reassignment {
    explicit Reassignment(AdvisorFixture& f)
    {
        deleted = f.data.addAdvisor(cpfDeleted, QStringLiteral("DANIEL"));
        other = f.data.addAdvisor(cpfOther, QStringLiteral("OTAVIO"));
        third = f.data.addAdvisor(makeCpf(303), QStringLiteral("TERESA"));
        f.data.addHolder(QStringLiteral("HELENA"), makeCpf(401), QStringLiteral("Novo"), cpfDeleted, deleted);
        f.data.addHolder(QStringLiteral("HUGO"), makeCpf(402), QStringLiteral("Renovado"), cpfDeleted, deleted);
        f.data.db().exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA=' ', CPF_EXORIENTADOR=' '"));
    }
    const QString cpfDeleted = makeCpf(301);
    const QString cpfOther = makeCpf(302);
    qint64 deleted = 0;
    qint64 other = 0;
    qint64 third = 0;
};

// Selects the advisor in the list and presses "Excluir".
void pressDelete(AdvisorFixture& f, TFrm_Orientadores& list, const QString& name)
{
    search(list.Ed_Orientador, name);
    if (currentName(f) != name)
        qWarning("advisor %s not found", qPrintable(name));
    list.BitBtn3->click();
}

} // namespace

class TestAdvisorList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("zelta99")); }

    void opensFromTheMainWindow()
    {
        AdvisorFixture f;
        TZelta zelta;
        zelta.setDataModule(&f.dm());
        QAction* command = zelta.commandAction(TZelta::Command::Orientadores);
        QVERIFY(command->isEnabled());
        QVERIFY(zelta.findChild<QToolBar*>(QStringLiteral("ToolBar"))->actions().contains(command));
        QString title;
        QSize size;
        f.modals.expect([&](QDialog* d) {
            title = d->windowTitle();
            size = d->size();
            d->findChild<QToolButton*>(QStringLiteral("BitBtn4"))->click(); // Sair
        });
        command->trigger();
        QCOMPARE(f.modals.shown(), QStringList{QStringLiteral("zelta::TFrm_Orientadores")});
        QCOMPARE(title, QStringLiteral("Indicações dos Orientadores"));
        QCOMPARE(size, QSize(675, 569));
        QVERIFY(!f.dm().Tb_Orientador->isOpen());
    }

    void searchAsYouTypeMovesTheListAndTheTitle()
    {
        AdvisorFixture f;
        for (const char* name : {"SILVEIRA", "ZÉLIA", "ALVES", "SILVA", "ÁLVARO", "SANTOS", "AMARAL"})
            f.data.addAdvisor(makeCpf(qHash(QByteArray(name)) % 900000), QString::fromUtf8(name), QStringLiteral("D"),
                              QStringLiteral("TITULO DE ") + QString::fromUtf8(name));
        auto list = openList(f);
        plat::ui::CursorModel* rows = list->DBGrid1->cursorModel();
        QCOMPARE(rows->rowCount(), 7);
        QCOMPARE(rows->headerData(0, Qt::Horizontal).toString(), QStringLiteral("CPF"));
        QCOMPARE(rows->headerData(1, Qt::Horizontal).toString(), QStringLiteral("NOME"));
        QCOMPARE(rows->data(rows->index(0, 1)).toString(), QStringLiteral("ÁLVARO")); // accents sort with their letters
        QCOMPARE(rows->data(rows->index(1, 1)).toString(), QStringLiteral("ALVES"));

        search(list->Ed_Orientador, QStringLiteral("sil"));
        QCOMPARE(list->Ed_Orientador->text(), QStringLiteral("SIL"));
        QCOMPARE(currentName(f), QStringLiteral("SILVA"));
        QCOMPARE(list->DBGrid1->currentIndex().row(), 4);
        QCOMPARE(list->DBMemo1->toPlainText(), QStringLiteral("TITULO DE SILVA"));
        typeText(list->Ed_Orientador, QStringLiteral("VE"));
        QCOMPARE(currentName(f), QStringLiteral("SILVEIRA"));
        search(list->Ed_Orientador, QStringLiteral("ZZ"));
        QCOMPARE(currentName(f), QStringLiteral("ZÉLIA"));
        search(list->Ed_Orientador, QString());
        QCOMPARE(currentName(f), QStringLiteral("ÁLVARO"));
        QCOMPARE(list->DBGrid1->currentIndex().row(), 0);

        // Choosing a row moves the list's advisor; the memo is display only.
        list->DBGrid1->setCurrentIndex(rows->index(2, 0));
        QCOMPARE(list->DBMemo1->toPlainText(), QStringLiteral("TITULO DE AMARAL"));
        QVERIFY(list->DBMemo1->isReadOnly());
        QCOMPARE(list->DBMemo1->focusPolicy(), Qt::ClickFocus);
    }

    void thePositionAfterNovo()
    {
        AdvisorFixture f;
        f.data.addAdvisor(makeCpf(1), QStringLiteral("BEATRIZ"));
        f.data.addAdvisor(makeCpf(2), QStringLiteral("ZACARIAS"));
        auto list = openList(f);

        // Confirmed: the list stands on the new advisor.
        f.modals.expect([&](QDialog* d) {
            auto* form = static_cast<TFrm_Cad_Orientador*>(d);
            activate(form);
            enterCpf(*form, makeCpf(3));
            fillRequired(f, *form);
            form->SpeedConfirma->click();
        });
        list->BitBtn1->click();
        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 3);
        QCOMPARE(currentName(f), QStringLiteral("MARIA SOUZA"));
        QCOMPARE(list->DBGrid1->currentIndex().row(), 1);

        // Cancelled: back to the advisor last confirmed, whose name is still
        // the key.
        search(list->Ed_Orientador, QStringLiteral("Z"));
        auto cancel = [](QDialog* d) { static_cast<TFrm_Cad_Orientador*>(d)->SpeedButton2->click(); };
        f.modals.expect(cancel);
        list->BitBtn1->click();
        QCOMPARE(currentName(f), QStringLiteral("MARIA SOUZA"));

        // A cancelled "Editar" leaves no key that matches a name: it stays.
        search(list->Ed_Orientador, QStringLiteral("Z"));
        f.modals.expect(cancel);
        list->BitBtn2->click();
        f.modals.expect(cancel);
        list->BitBtn1->click();
        QCOMPARE(currentName(f), QStringLiteral("ZACARIAS"));
        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 3);
        QCOMPARE(f.modals.shown().size(), 4);
    }

    void anEmptyListHasNothingToEditOrDelete()
    {
        AdvisorFixture f;
        auto list = openList(f);
        list->BitBtn2->click();
        list->BitBtn3->click();
        QVERIFY(f.modals.shown().isEmpty());
        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 0);
    }

    void plainDeletionAsksFirst()
    {
        AdvisorFixture f;
        const QString cpf = makeCpf(77);
        f.data.addAdvisor(cpf, QStringLiteral("PESSOA UM"));
        const qint64 two = f.data.addAdvisor(cpf, QStringLiteral("PESSOA DOIS"));
        // A holder of the same person's other project is not this record's.
        f.data.addHolder(QStringLiteral("BOLSISTA"), makeCpf(78), QStringLiteral("Novo"), cpf, two);
        auto list = openList(f);

        pressDelete(f, *list, QStringLiteral("PESSOA UM")); // the default answer is No
        QCOMPARE(f.messages.count(), 1);
        const plat::ui::Message question = f.messages.last();
        QCOMPARE(question.caption, QStringLiteral("Atenção"));
        QCOMPARE(question.text,
                 QStringLiteral("Tem certeza que deseja excluir ?\n\rEsta operação apagará todas as informações do orientador."));
        QCOMPARE(question.buttons, plat::ui::MessageButtons::YesNo);
        QCOMPARE(question.icon, plat::ui::MessageIcon::Question);
        QCOMPARE(question.defaultButton, Answer::No);
        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 2);

        f.messages.answer(Answer::Yes);
        pressDelete(f, *list, QStringLiteral("PESSOA UM"));
        QVERIFY(f.modals.shown().isEmpty());
        QCOMPARE(f.value(QStringLiteral("SELECT group_concat(Codigo) FROM ZELTAORI")), QString::number(two));
        QCOMPARE(link(f, QStringLiteral("BOLSISTA")), linkTo(cpf, two));
        QCOMPARE(marks(f), 0);
        QVERIFY(!f.dm().Tb_Bolsistas->isOpen());
    }

    void reassignmentCancelledChangesNothing()
    {
        AdvisorFixture f;
        Reassignment r(f);
        auto list = openList(f);
        int marked = 0;
        QStringList shown;
        QString title;
        QString afterChange;
        int holderRow = -1;
        QStringList labels;
        f.modals.expect([&](QDialog* d) {
            auto* w = static_cast<TFrm_ExOrientador*>(d);
            activate(w);
            title = w->windowTitle();
            marked = marks(f);
            plat::ui::CursorModel* rows = w->DBGrid1->cursorModel();
            for (int i = 0; i < rows->rowCount(); ++i)
                shown << rows->data(rows->index(i, 0)).toString() + u'/' + rows->data(rows->index(i, 1)).toString();
            shown.sort();
            for (QLabel* l : {w->Label1, w->Label2, w->Label3, w->Label4})
                labels << l->text();
            moveHolder(w, QStringLiteral("HUGO"), QStringLiteral("OTA"));
            holderRow = w->DBGrid1->currentIndex().row();
            for (int i = 0; i < rows->rowCount(); ++i)
                if (rows->data(rows->index(i, 0)).toString() == u"HUGO")
                    afterChange = rows->data(rows->index(i, 1)).toString();
            w->BitBtn3->click(); // Cancelar
        });
        pressDelete(f, *list, QStringLiteral("DANIEL"));

        QCOMPARE(f.messages.count(), 0); // no question when there are holders
        QCOMPARE(title, QStringLiteral("Exclusão do orientador"));
        QCOMPARE(marked, 3); // the advisor and its two holders
        QCOMPARE(shown, (QStringList{QStringLiteral("HELENA/DANIEL"), QStringLiteral("HUGO/DANIEL")}));
        QCOMPARE(afterChange, QStringLiteral("OTAVIO"));
        QCOMPARE(holderRow, 0); // the holder grid is back on its first row
        QCOMPARE(labels.at(0), QStringLiteral("Para excluir o Orientador, execute os seguintes instruções:"));
        QCOMPARE(labels.at(3), QStringLiteral(". Clicar no botão (Confirma)."));

        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 3);
        QCOMPARE(link(f, QStringLiteral("HUGO")), linkTo(r.cpfDeleted, r.deleted));
        QCOMPARE(marks(f), 0);
        QVERIFY(!f.dm().Tb_Bolsistas->isOpen());
        QCOMPARE(f.dm().Tb_Orientador->indexFieldNames(), QStringLiteral("Nome"));
    }

    void confirmWithoutMovingEveryHolderIsRefused()
    {
        AdvisorFixture f;
        Reassignment r(f);
        auto list = openList(f);
        QStringList said;
        bool stayedOpen = false;
        f.modals.expect([&](QDialog* d) {
            auto* w = static_cast<TFrm_ExOrientador*>(d);
            activate(w);
            w->BitBtn2->click(); // nothing changed
            moveHolder(w, QStringLiteral("HUGO"), QStringLiteral("OTAVIO"));
            w->BitBtn2->click(); // HELENA still on DANIEL
            said = f.messages.texts();
            stayedOpen = w->isVisible();
            w->BitBtn3->click();
        });
        pressDelete(f, *list, QStringLiteral("DANIEL"));
        QCOMPARE(said, QStringList(2, QStringLiteral("Favor alterar o orientador")));
        QCOMPARE(f.messages.last().kind, MessageKind::Plain);
        QVERIFY(stayedOpen);
        QCOMPARE(link(f, QStringLiteral("HUGO")), linkTo(r.cpfDeleted, r.deleted));
        QCOMPARE(marks(f), 0);
    }

    void allHoldersMovedAndTheAdvisorGone()
    {
        AdvisorFixture f;
        Reassignment r(f);
        auto list = openList(f);
        f.modals.expect([&](QDialog* d) {
            auto* w = static_cast<TFrm_ExOrientador*>(d);
            activate(w);
            moveHolder(w, QStringLiteral("HUGO"), QStringLiteral("TERESA")); // changed again below
            moveHolder(w, QStringLiteral("HELENA"), QStringLiteral("OTAVIO"));
            moveHolder(w, QStringLiteral("HUGO"), QStringLiteral("OTAVIO"));
            w->BitBtn2->click();
        });
        pressDelete(f, *list, QStringLiteral("DANIEL"));
        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(link(f, QStringLiteral("HELENA")), linkTo(r.cpfOther, r.other));
        QCOMPARE(link(f, QStringLiteral("HUGO")), linkTo(r.cpfOther, r.other));
        QCOMPARE(f.value(QStringLiteral("SELECT count(*) FROM ZELTAORI WHERE Codigo=?"), {r.deleted}).toInt(), 0);
        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 2);
        QCOMPARE(marks(f), 0);
        QCOMPARE(f.dm().Tb_Orientador->indexFieldNames(), QStringLiteral("Nome"));
        QCOMPARE(list->DBGrid1->cursorModel()->rowCount(), 2);
    }

    void holdersSharingACpfAllMove()
    {
        // Last year's file may carry one CPF on several holders: two identical
        // records (one row of the list) and one under another name.
        AdvisorFixture f;
        Reassignment r(f);
        const QString shared = makeCpf(499);
        for (const QString& nome : {QStringLiteral("IARA"), QStringLiteral("IARA"), QStringLiteral("IVO")})
            f.data.addHolder(nome, shared, QStringLiteral("Novo"), r.cpfDeleted, r.deleted);
        f.data.db().exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA=' ', CPF_EXORIENTADOR=' '"));
        auto list = openList(f);
        int rows = 0;
        f.modals.expect([&](QDialog* d) {
            auto* w = static_cast<TFrm_ExOrientador*>(d);
            activate(w);
            rows = w->DBGrid1->cursorModel()->rowCount();
            moveHolder(w, QStringLiteral("IVO"), QStringLiteral("TERESA"));
            moveHolder(w, QStringLiteral("IARA"), QStringLiteral("OTAVIO"));
            moveHolder(w, QStringLiteral("HELENA"), QStringLiteral("OTAVIO"));
            moveHolder(w, QStringLiteral("HUGO"), QStringLiteral("OTAVIO"));
            w->BitBtn2->click();
        });
        pressDelete(f, *list, QStringLiteral("DANIEL"));
        QCOMPARE(rows, 4);
        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(f.value(QStringLiteral("SELECT group_concat(CPF_ORIENTADOR || '#' || NUMERO_ORIENTADOR) FROM ZELTABOL "
                                        "WHERE Nome='IARA'")),
                 linkTo(r.cpfOther, r.other) + u',' + linkTo(r.cpfOther, r.other));
        QCOMPARE(link(f, QStringLiteral("IVO")), linkTo(makeCpf(303), r.third));
        QCOMPARE(f.value(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE NUMERO_ORIENTADOR=?"), {r.deleted}).toInt(), 0);
        QCOMPARE(f.value(QStringLiteral("SELECT count(*) FROM ZELTAORI WHERE Codigo=?"), {r.deleted}).toInt(), 0);
        QCOMPARE(marks(f), 0);
    }

    void anotherRecordOfTheSamePersonIsNoMove()
    {
        AdvisorFixture f;
        Reassignment r(f);
        f.data.addAdvisor(r.cpfDeleted, QStringLiteral("DANIEL OUTRO PROJETO"));
        auto list = openList(f);
        f.modals.expect([&](QDialog* d) {
            auto* w = static_cast<TFrm_ExOrientador*>(d);
            activate(w);
            moveHolder(w, QStringLiteral("HELENA"), QStringLiteral("OTAVIO"));
            moveHolder(w, QStringLiteral("HUGO"), QStringLiteral("DANIEL OUTRO"));
            w->BitBtn2->click();
            w->BitBtn3->click();
        });
        pressDelete(f, *list, QStringLiteral("DANIEL"));
        QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Favor alterar o orientador")});
        QCOMPARE(link(f, QStringLiteral("HELENA")), linkTo(r.cpfDeleted, r.deleted));
        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 4);
    }

    void exactlyThePressedRecordIsDeletedAndThePickedOneLinked()
    {
        AdvisorFixture f;
        // The same person as the advisor being deleted, with a lower number
        // (first in CPF order), and a person with two projects.
        const QString person = makeCpf(500);
        const qint64 earlier = f.data.addAdvisor(person, QStringLiteral("DANIEL PRIMEIRO"));
        Reassignment r(f);
        f.data.db().exec(QStringLiteral("UPDATE ZELTAORI SET CPF=? WHERE Codigo=?"), {person, r.deleted});
        f.data.db().exec(QStringLiteral("UPDATE ZELTABOL SET CPF_ORIENTADOR=?"), {person});
        const QString twoProjects = makeCpf(600);
        f.data.addAdvisor(twoProjects, QStringLiteral("QUINTINO A"));
        const qint64 second = f.data.addAdvisor(twoProjects, QStringLiteral("QUINTINO B"));
        auto list = openList(f);
        f.modals.expect([&](QDialog* d) {
            auto* w = static_cast<TFrm_ExOrientador*>(d);
            activate(w);
            moveHolder(w, QStringLiteral("HELENA"), QStringLiteral("DANIEL PRIMEIRO")); // marks it, then:
            moveHolder(w, QStringLiteral("HELENA"), QStringLiteral("QUINTINO B"));
            moveHolder(w, QStringLiteral("HUGO"), QStringLiteral("OTAVIO"));
            w->BitBtn2->click();
        });
        pressDelete(f, *list, QStringLiteral("DANIEL"));
        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(f.value(QStringLiteral("SELECT count(*) FROM ZELTAORI WHERE Codigo=?"), {r.deleted}).toInt(), 0);
        QCOMPARE(f.value(QStringLiteral("SELECT count(*) FROM ZELTAORI WHERE Codigo=?"), {earlier}).toInt(), 1);
        QCOMPARE(link(f, QStringLiteral("HELENA")), linkTo(twoProjects, second));
        QCOMPARE(link(f, QStringLiteral("HUGO")), linkTo(r.cpfOther, r.other));
        QCOMPARE(marks(f), 0);
    }

    void aFailureHalfWayMovesNobody()
    {
        AdvisorFixture f;
        Reassignment r(f);
        f.data.db().exec(QStringLiteral("CREATE TEMP TRIGGER falha BEFORE UPDATE OF CPF_ORIENTADOR ON ZELTABOL "
                                        "WHEN NEW.Nome='HUGO' BEGIN SELECT RAISE(ABORT, 'falha simulada'); END"));
        auto list = openList(f);
        QString helenaAfterFailure;
        int advisorsAfterFailure = 0;
        bool stayedOpen = false;
        f.modals.expect([&](QDialog* d) {
            auto* w = static_cast<TFrm_ExOrientador*>(d);
            activate(w);
            moveHolder(w, QStringLiteral("HELENA"), QStringLiteral("OTAVIO"));
            moveHolder(w, QStringLiteral("HUGO"), QStringLiteral("OTAVIO"));
            w->BitBtn2->click();
            helenaAfterFailure = link(f, QStringLiteral("HELENA"));
            advisorsAfterFailure = f.data.count(QStringLiteral("ZELTAORI"));
            stayedOpen = w->isVisible();
            f.data.db().exec(QStringLiteral("DROP TRIGGER falha"));
            w->BitBtn2->click();
        });
        pressDelete(f, *list, QStringLiteral("DANIEL"));
        QCOMPARE(f.messages.count(), 1);
        QCOMPARE(f.messages.last().kind, MessageKind::Error);
        QVERIFY(f.messages.last().text.contains(QStringLiteral("falha simulada")));
        QVERIFY(stayedOpen);
        QCOMPARE(helenaAfterFailure, linkTo(r.cpfDeleted, r.deleted));
        QCOMPARE(advisorsAfterFailure, 3);
        // Confirmed again once the failure is gone.
        QCOMPARE(link(f, QStringLiteral("HELENA")), linkTo(r.cpfOther, r.other));
        QCOMPARE(link(f, QStringLiteral("HUGO")), linkTo(r.cpfOther, r.other));
        QCOMPARE(f.data.count(QStringLiteral("ZELTAORI")), 2);
        QCOMPARE(marks(f), 0);
    }

    void marksLeftByAnInterruptedRunAreNotShown()
    {
        AdvisorFixture f;
        Reassignment r(f);
        // A run that ended inside a reassignment of OTAVIO left its marks.
        f.data.addHolder(QStringLiteral("RESTO"), makeCpf(700), QStringLiteral("Novo"), r.cpfOther, r.other);
        f.data.db().exec(QStringLiteral("UPDATE ZELTAORI SET ALTERA='S' WHERE Codigo=?"), {r.other});
        f.data.db().exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA='S', CPF_EXORIENTADOR=CPF_ORIENTADOR WHERE Nome='RESTO'"));
        auto list = openList(f);
        int rows = 0;
        f.modals.expect([&](QDialog* d) {
            auto* w = static_cast<TFrm_ExOrientador*>(d);
            rows = w->DBGrid1->cursorModel()->rowCount();
            w->BitBtn3->click();
        });
        pressDelete(f, *list, QStringLiteral("DANIEL"));
        QCOMPARE(rows, 2);
        QCOMPARE(marks(f), 0);
    }
};

QTEST_MAIN(TestAdvisorList)
#include "test_advisor_list.moc"
