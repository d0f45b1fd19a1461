// The holder list, the holder entry form and the advisor picker, driven as the
// user does: buttons clicked, boxes typed into and left, modal windows handled
// as they open.
#include "../advisors/AdvisorFixture.h"

#include "data/TDm_Dados.h"
#include "exchange/SubmissionWriter.h"
#include "holders/windows/TFrm_Bolsistas.h"
#include "holders/windows/TFrm_Cad_Bolsistas.h"
#include "holders/windows/TFrm_SelOrientador.h"
#include "holders/HolderRules.h"
#include "platform/system/Error.h"
#include "validation/Completude.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/Help.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/RadioGroup.h"
#include "support/SubmissionFile.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <memory>

using namespace zelta;
using namespace zelta::test;
using plat::db::Table;
using plat::ui::Answer;

namespace {

struct HolderFixture : AdvisorFixture {
    HolderFixture()
    {
        data.setInstitution(QStringLiteral("123456789"), QStringLiteral("UFX"), QStringLiteral("UNIVERSIDADE X"), 10);
    }
    void holders(int count, const QString& situacao, int from)
    {
        for (int i = 0; i < count; ++i)
            data.addHolder(QStringLiteral("%1 %2").arg(situacao.toUpper()).arg(i, 2, 10, QChar(u'0')), makeCpf(from + i),
                           situacao);
    }
    QString holderField(const QString& field, const QString& cpf)
    {
        return value(QStringLiteral("SELECT %1 FROM ZELTABOL WHERE CPF=?").arg(field), {cpf});
    }
};

void enterHolderCpf(TFrm_Cad_Bolsistas& form, const QString& cpf)
{
    form.DBEdCPFBolsista->setFocus();
    form.DBEdCPFBolsista->selectAll();
    QTest::keyClick(form.DBEdCPFBolsista, Qt::Key_Delete);
    QTest::keyClicks(form.DBEdCPFBolsista, QString(cpf).remove(u'.').remove(u'-'));
    leave(form.DBEdCPFBolsista);
}

std::unique_ptr<TFrm_Bolsistas> openList(HolderFixture& f)
{
    auto list = std::make_unique<TFrm_Bolsistas>(f.sessao);
    list->create();
    list->show();
    activate(list.get());
    return list;
}

// Opens the entry form the way the list does, on the list's cursor.
std::unique_ptr<TFrm_Cad_Bolsistas> openForm(HolderFixture& f, bool novo)
{
    using Modo = TFrm_Cad_Bolsistas::Modo;
    Table& bol = *f.dm().Tb_Bolsistas;
    bol.setIndexFieldNames(QStringLiteral("Nome"));
    bol.open();
    auto form = std::make_unique<TFrm_Cad_Bolsistas>(f.dm(), f.validator, novo ? Modo::Novo : Modo::Editar);
    form->create();
    form->show();
    activate(form.get());
    return form;
}

void fillHolder(TFrm_Cad_Bolsistas& form)
{
    typeInto(form.DBEdBolsista, QStringLiteral("paula lima"));
    form.DBEdDataNascimento->setFocus();
    QTest::keyClicks(form.DBEdDataNascimento, QStringLiteral("01021990"));
    form.RadioSexo->button(0)->click();
    typeInto(form.DBEdAgencia, QStringLiteral("12"));
}

} // namespace

class TestHolderWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("zelta99")); }

    // ---------------------------------------------------------------- list

    void countersAndQuota()
    {
        HolderFixture f;
        f.holders(6, QStringLiteral("Renovado"), 100);
        f.holders(3, QStringLiteral("Novo"), 200);
        f.holders(25, QStringLiteral("Excluído"), 300);
        f.data.addHolder(QStringLiteral("CODIGO ANTIGO"), makeCpf(400), QStringLiteral("RN"));
        auto list = openList(f);
        QCOMPARE(list->Panel_TotalRn->text(), QStringLiteral("6"));
        QCOMPARE(list->Panel_TotalNv->text(), QStringLiteral("3"));
        QCOMPARE(list->Panel_TotalRn_Nv->text(), QStringLiteral("9"));
        QCOMPARE(list->Panel_TotalEX->text(), QStringLiteral("25"));
        QCOMPARE(list->Panel_TotalBolsistas->text(), QStringLiteral("10"));

        // 6 + 3 of 10: the entry form opens as a new holder.
        QString caption, situacao;
        f.modals.expect([&](QDialog* d) {
            caption = d->windowTitle();
            situacao = static_cast<TFrm_Cad_Bolsistas*>(d)->Panel_Situacao->text();
            d->reject();
        });
        list->BitBtnNovo->click();
        QCOMPARE(caption, QStringLiteral("Novo Bolsista"));
        QCOMPARE(situacao, QStringLiteral("Novo"));
        QCOMPARE(f.data.count(QStringLiteral("ZELTABOL")), 35); // cancelled: nothing added

        // 6 + 4 of 10: refused, and "Renovar" on a 'Novo' holder refused too.
        list.reset();
        f.holders(1, QStringLiteral("Novo"), 500);
        list = openList(f);
        list->BitBtnNovo->click();
        list->BitBtnRenovar->click();
        QCOMPARE(f.messages.texts(),
                 (QStringList{QStringLiteral("Limite Máximo de Cotas Alcançado"), QStringLiteral("Limite máximo de cotas ")}));
        QCOMPARE(f.messages.last().kind, plat::ui::MessageKind::Plain);
        QCOMPARE(f.modals.shown().size(), 1);
    }

    void excluirAndRenovar()
    {
        HolderFixture f;
        f.data.addHolder(QStringLiteral("ANA RENOVADA"), makeCpf(1), QStringLiteral("Renovado"));
        f.data.addHolder(QStringLiteral("BRUNO NOVO"), makeCpf(2), QStringLiteral("Novo"));
        f.data.addHolder(QStringLiteral("CARLA NOVA"), makeCpf(3), QStringLiteral("Novo"));
        auto list = openList(f);
        Table& bol = *f.dm().Tb_Bolsistas;

        // Renovar on a 'Renovado' holder changes nothing, shows nothing.
        list->BitBtnRenovar->click();
        QCOMPARE(f.holderField(QStringLiteral("SITUACAO"), makeCpf(1)), QStringLiteral("Renovado"));
        QCOMPARE(f.messages.count(), 0);

        // Excluir on 'Renovado': No keeps it, Yes only changes the situation.
        list->BitBtnExcluir->click();
        QCOMPARE(f.messages.last().caption, QStringLiteral("Atenção"));
        QVERIFY(f.messages.last().text.contains(QStringLiteral("somente alterará")));
        QCOMPARE(f.holderField(QStringLiteral("SITUACAO"), makeCpf(1)), QStringLiteral("Renovado"));
        f.messages.answer(Answer::Yes);
        list->BitBtnExcluir->click();
        QCOMPARE(f.holderField(QStringLiteral("SITUACAO"), makeCpf(1)), QStringLiteral("Excluído"));
        QCOMPARE(f.data.count(QStringLiteral("ZELTABOL")), 3);
        QCOMPARE(list->Panel_TotalEX->text(), QStringLiteral("1"));
        QCOMPARE(list->Panel_TotalRn_Nv->text(), QStringLiteral("2"));

        // Renovar turns it back.
        list->BitBtnRenovar->click();
        QCOMPARE(f.holderField(QStringLiteral("SITUACAO"), makeCpf(1)), QStringLiteral("Renovado"));
        QCOMPARE(list->Panel_TotalRn->text(), QStringLiteral("1"));

        // Excluir on 'Novo': one question; Yes deletes that holder only.
        bol.findKey({QStringLiteral("BRUNO NOVO")});
        f.messages.clear();
        f.messages.answer(Answer::Yes);
        list->BitBtnExcluir->click();
        QCOMPARE(f.messages.count(), 1);
        QVERIFY(f.messages.last().text.contains(QStringLiteral("apagará todas")));
        QCOMPARE(f.data.count(QStringLiteral("ZELTABOL")), 2);
        QCOMPARE(f.holderField(QStringLiteral("Nome"), makeCpf(3)), QStringLiteral("CARLA NOVA"));
        QCOMPARE(list->ultimoBolsista(), QStringLiteral("CARLA NOVA"));
        QCOMPARE(list->Panel_TotalNv->text(), QStringLiteral("1"));

        // Search as you type.
        list->Ed_Bolsistas->setFocus();
        QTest::keyClicks(list->Ed_Bolsistas, QStringLiteral("b"));
        QCOMPARE(bol.field(QStringLiteral("Nome")).asString(), QStringLiteral("CARLA NOVA"));
    }

    void emptyListIgnoresTheCommands()
    {
        HolderFixture f;
        auto list = openList(f);
        list->BitBtnEditar->click();
        list->BitBtnExcluir->click();
        list->BitBtnRenovar->click();
        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(f.modals.shown().size(), 0);
        list->BitBtnSair->click();
        QVERIFY(!f.dm().Tb_Bolsistas->isOpen());
    }

    void editarShowsWordsAndStoresThem()
    {
        HolderFixture f;
        const QString ori = makeCpf(900);
        const qint64 codigo = f.data.addAdvisor(ori, QStringLiteral("JOSE ORIENTADOR"));
        f.data.addHolder(QStringLiteral("ANA"), makeCpf(1), QStringLiteral("RN"), ori, codigo, QStringLiteral("M"));
        f.dm().database().exec(QStringLiteral("UPDATE ZELTABOL SET SEGURO_SAUDE='S'"));
        auto list = openList(f);
        QCOMPARE(list->Panel_TotalRn->text(), QStringLiteral("0")); // the code is not counted
        f.modals.expect([&](QDialog* d) {
            auto* form = static_cast<TFrm_Cad_Bolsistas*>(d);
            QCOMPARE(form->windowTitle(), QStringLiteral("Edita o Bolsista"));
            QCOMPARE(form->Panel_Situacao->text(), QStringLiteral("Renovado"));
            QCOMPARE(form->RadioSexo->itemIndex(), 1);
            QCOMPARE(form->Panel_Orientador->text(), QStringLiteral("JOSE ORIENTADOR"));
            QVERIFY(form->DBEdCPFBolsista->isReadOnly());
            form->SpeedConfirma->click();
        });
        list->BitBtnEditar->click();
        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(f.holderField(QStringLiteral("SITUACAO"), makeCpf(1)), QStringLiteral("Renovado"));
        QCOMPARE(f.holderField(QStringLiteral("SEGURO_SAUDE"), makeCpf(1)), QString());
        QCOMPARE(f.holderField(QStringLiteral("NUMERO_ORIENTADOR"), makeCpf(1)).toLongLong(), codigo);
        QCOMPARE(list->Panel_TotalRn->text(), QStringLiteral("1"));
        QCOMPARE(list->ultimoBolsista(), QStringLiteral("ANA"));
    }

    // ---------------------------------------------------------------- form

    void newHolderWithAnAdvisorsCpf()
    {
        HolderFixture f;
        const QString cpf = makeCpf(555);
        f.data.addAdvisor(cpf, QStringLiteral("MARCOS PROFESSOR"));
        auto form = openForm(f, true);
        QCOMPARE(plat::ui::helpContextFor(form->DBEdCPFBolsista), 1);
        QCOMPARE(plat::ui::helpContextFor(form->DBEdAgencia), 11);
        QVERIFY(!form->SpeedConfirma->isEnabled());
        QVERIFY(form->SpeedOrientador->isEnabled());

        enterHolderCpf(*form, QStringLiteral("123.456.789-00"));
        QCOMPARE(f.messages.last().text, QStringLiteral("Favor verificar o CPF"));
        QCOMPARE(f.messages.last().caption, QStringLiteral("Atenção"));

        enterHolderCpf(*form, cpf);
        QCOMPARE(f.messages.last().text, QStringLiteral("CPF já utilizado pelo orientador\n\rMARCOS PROFESSOR"));
        QVERIFY(!form->SpeedConfirma->isEnabled());
        QVERIFY(!form->DBEdCPFBolsista->isReadOnly());

        enterHolderCpf(*form, makeCpf(556));
        QVERIFY(form->SpeedConfirma->isEnabled());
        QVERIFY(form->DBEdCPFBolsista->isReadOnly());
        QVERIFY(form->DBEdBolsista->hasFocus());
    }

    void closedBoxesLookClosedAndTabStillLeavesTheCpf()
    {
        HolderFixture f;
        auto form = openForm(f, true);
        for (QWidget* w : std::initializer_list<QWidget*>{form->DBEdBolsista, form->DBEdDataNascimento, form->DBEdAgencia})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!form->SpeedConfirma->isEnabled());

        // Tab leaves the CPF box, which runs its check.
        form->DBEdCPFBolsista->setFocus();
        QTest::keyClicks(form->DBEdCPFBolsista, QString(makeCpf(12)).remove(u'.').remove(u'-').left(5));
        QTest::keyClick(form->DBEdCPFBolsista, Qt::Key_Tab);
        QCOMPARE(f.messages.last().text, QStringLiteral("Favor verificar o CPF"));
        QVERIFY(form->DBEdCPFBolsista->hasFocus());
        enterHolderCpf(*form, makeCpf(12));
        QVERIFY(form->DBEdBolsista->isEnabled() && form->DBEdBolsista->hasFocus());
        QVERIFY(!form->DBEdCPFBolsista->isEnabled());
    }

    void anAdvisorsCpfKeepsThePickedAdvisor()
    {
        HolderFixture f;
        const QString cpfA = makeCpf(901);
        f.data.addAdvisor(makeCpf(555), QStringLiteral("MARCOS PROFESSOR"));
        const qint64 codigoA = f.data.addAdvisor(cpfA, QStringLiteral("ALICE"), QStringLiteral("D"), QStringLiteral("PROJETO A"));
        auto form = openForm(f, true);
        f.modals.expect([&](QDialog* d) {
            auto* picker = static_cast<TFrm_SelOrientador*>(d);
            QTest::keyClicks(picker->Ed_Orientador, QStringLiteral("a"));
            picker->BtnRetornar->click();
        });
        form->SpeedOrientador->click();

        // An advisor's CPF: only "Confirma" closes, the advisor picked stays.
        enterHolderCpf(*form, makeCpf(555));
        QCOMPARE(f.messages.last().text, QStringLiteral("CPF já utilizado pelo orientador\n\rMARCOS PROFESSOR"));
        QVERIFY(!form->SpeedConfirma->isEnabled());
        QVERIFY(form->DBEdCPFBolsista->isEnabled() && form->DBEdCPFBolsista->hasFocus());
        QVERIFY(form->DBEdBolsista->isEnabled() && form->RadioSexo->isEnabled() && form->DBEdAgencia->isEnabled());
        QCOMPARE(form->Panel_Cpf_Orientador->text(), cpfA);
        QCOMPARE(form->Panel_Orientador->text(), QStringLiteral("ALICE"));
        QCOMPARE(form->DbTitulo->toPlainText(), QStringLiteral("PROJETO A"));
        QCOMPARE(form->codigoOrientador(), codigoA);

        // Another CPF, and the holder is stored with the advisor picked first.
        enterHolderCpf(*form, makeCpf(14));
        QCOMPARE(form->DbTitulo->toPlainText(), QStringLiteral("PROJETO A"));
        fillHolder(*form);
        form->SpeedConfirma->click();
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(f.holderField(QStringLiteral("CPF_ORIENTADOR"), makeCpf(14)), cpfA);
        QCOMPARE(f.holderField(QStringLiteral("NUMERO_ORIENTADOR"), makeCpf(14)).toLongLong(), codigoA);
        QCOMPARE(f.holderField(QStringLiteral("Nome"), makeCpf(14)), QStringLiteral("PAULA LIMA"));
    }

    void newHolderWithARegisteredHoldersCpfEditsIt()
    {
        HolderFixture f;
        const QString ori = makeCpf(900);
        const qint64 codigo = f.data.addAdvisor(ori, QStringLiteral("JOSE ORIENTADOR"));
        f.data.addHolder(QStringLiteral("ANA ANTIGA"), makeCpf(7), QStringLiteral("Excluído"), ori, codigo, QStringLiteral("M"));
        auto form = openForm(f, true);
        enterHolderCpf(*form, makeCpf(7));
        QCOMPARE(form->windowTitle(), QStringLiteral("Editar o Bolsista"));
        QCOMPARE(form->DBEdBolsista->text(), QStringLiteral("ANA ANTIGA"));
        QCOMPARE(form->Panel_Situacao->text(), QStringLiteral("Excluído"));
        QCOMPARE(form->Panel_Cpf_Orientador->text(), ori);
        QCOMPARE(form->RadioSexo->itemIndex(), 1);
        form->DBEdBolsista->selectAll();
        typeInto(form->DBEdBolsista, QStringLiteral("ana nova"));
        form->SpeedConfirma->click();
        QCOMPARE(f.data.count(QStringLiteral("ZELTABOL")), 1);
        QCOMPARE(f.holderField(QStringLiteral("Nome"), makeCpf(7)), QStringLiteral("ANA NOVA"));
        QCOMPARE(f.holderField(QStringLiteral("SITUACAO"), makeCpf(7)), QStringLiteral("Excluído"));
    }

    void confirmaChecksInOrder()
    {
        HolderFixture f;
        auto form = openForm(f, true);
        enterHolderCpf(*form, makeCpf(10));
        form->DBEdDataNascimento->setFocus();
        QTest::keyClicks(form->DBEdDataNascimento, QStringLiteral("01021990"));
        typeInto(form->DBEdAgencia, QStringLiteral("12"));
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("Nome campo obrigatório")});
        QVERIFY(form->DBEdBolsista->hasFocus());
        QCOMPARE(f.dm().Tb_Bolsistas->state(), Table::State::Insert);
        QCOMPARE(f.data.count(QStringLiteral("ZELTABOL")), 0);
    }

    void newHolderThroughThePicker()
    {
        HolderFixture f;
        const QString cpfA = makeCpf(901);
        const QString cpfB = makeCpf(902);
        f.data.addAdvisor(cpfA, QStringLiteral("ALICE"), QStringLiteral("D"), QStringLiteral("PROJETO A"));
        const qint64 codigoB = f.data.addAdvisor(cpfB, QStringLiteral("BEATRIZ"), QStringLiteral("D"),
                                                 QStringLiteral("PROJETO B"));
        auto form = openForm(f, true);
        enterHolderCpf(*form, makeCpf(11));
        fillHolder(*form);

        // Double click on BEATRIZ chooses her: CPF and number together.
        f.modals.expect([&](QDialog* d) {
            auto* picker = static_cast<TFrm_SelOrientador*>(d);
            QVERIFY(picker->BtnRetornar->isDefault());
            QTest::keyClicks(picker->Ed_Orientador, QStringLiteral("b"));
            const QModelIndex row = picker->DBGrid1->currentIndex();
            emit picker->DBGrid1->doubleClicked(row);
        });
        form->SpeedOrientador->click();
        // The picker writes nothing: the pending record gets the advisor at "Confirma".
        QVERIFY(f.dm().Tb_Bolsistas->field(QStringLiteral("CPF_ORIENTADOR")).asString().trimmed().isEmpty());
        QCOMPARE(form->Panel_Cpf_Orientador->text(), cpfB);
        QCOMPARE(form->Panel_Orientador->text(), QStringLiteral("BEATRIZ"));
        QCOMPARE(form->DbTitulo->toPlainText(), QStringLiteral("PROJETO B"));
        QCOMPARE(form->codigoOrientador(), codigoB);

        // Cancelar after moving to ALICE keeps BEATRIZ.
        f.modals.expect([&](QDialog* d) {
            auto* picker = static_cast<TFrm_SelOrientador*>(d);
            QTest::keyClicks(picker->Ed_Orientador, QStringLiteral("a"));
            picker->BtnCancelar->click();
        });
        form->SpeedOrientador->click();
        QCOMPARE(form->Panel_Cpf_Orientador->text(), cpfB);
        QCOMPARE(form->codigoOrientador(), codigoB);
        QCOMPARE(form->DbTitulo->toPlainText(), QStringLiteral("PROJETO B"));

        form->SpeedConfirma->click();
        QCOMPARE(f.messages.count(), 0);
        const QString cpf = makeCpf(11);
        QCOMPARE(f.holderField(QStringLiteral("CPF_ORIENTADOR"), cpf), cpfB);
        QCOMPARE(f.holderField(QStringLiteral("NUMERO_ORIENTADOR"), cpf).toLongLong(), codigoB);
        QCOMPARE(f.holderField(QStringLiteral("SEXO"), cpf), QStringLiteral("F"));
        QCOMPARE(f.holderField(QStringLiteral("SITUACAO"), cpf), QStringLiteral("Novo"));
        QCOMPARE(f.holderField(QStringLiteral("CODIGO_AGENCIA"), cpf), QStringLiteral("12"));
        QCOMPARE(form->ultimoBolsista(), QStringLiteral("PAULA LIMA"));
    }

    // A name copied from a document whose accents come apart from their
    // letters: stored composed, and the agency's file holds the letters, not
    // a '?' for each accent.
    void aPastedNameReachesTheFileComposed()
    {
        HolderFixture f;
        f.data.addAdvisor(makeCpf(901), QStringLiteral("ALICE"), QStringLiteral("D"), QStringLiteral("PROJETO A"));
        auto form = openForm(f, true);
        enterHolderCpf(*form, makeCpf(31));
        fillHolder(*form);
        form->DBEdBolsista->setFocus();
        form->DBEdBolsista->selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("E\u0301rica Conceic\u0327a\u0303o"));
        QTest::keyClick(form->DBEdBolsista, Qt::Key_V, Qt::ControlModifier);
        f.modals.expect([&](QDialog* d) { static_cast<TFrm_SelOrientador*>(d)->BtnRetornar->click(); });
        form->SpeedOrientador->click();
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.texts(), QStringList());
        QCOMPARE(f.holderField(QStringLiteral("Nome"), makeCpf(31)), QStringLiteral("ÉRICA CONCEIÇÃO"));

        QBuffer file;
        file.open(QIODevice::WriteOnly);
        QCOMPARE(writeSubmission(f.data.db(), QStringLiteral("123456789"), file), 1);
        const QByteArray bytes = checkedSubmission(file.data());
        QVERIFY2(bytes.contains("ERICA CONCEICAO "), bytes.constData());
        QVERIFY(!bytes.contains('?'));
    }

    void enterInThePickerSearchChooses()
    {
        HolderFixture f;
        f.data.addAdvisor(makeCpf(901), QStringLiteral("ALICE"));
        const qint64 codigoM = f.data.addAdvisor(makeCpf(903), QStringLiteral("NUNO"));
        f.dm().Tb_Orientador->open();
        TFrm_SelOrientador picker(f.dm());
        picker.create();
        picker.show();
        activate(&picker);
        picker.Ed_Orientador->setFocus();
        QTest::keyClicks(picker.Ed_Orientador, QStringLiteral("m")); // no M: the next name
        QTest::keyClick(picker.Ed_Orientador, Qt::Key_Return);
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(picker.codigo(), codigoM);
        QCOMPARE(f.dm().Tb_Orientador->field(QStringLiteral("NOME")).asString(), QStringLiteral("NUNO"));
        f.dm().Tb_Orientador->close();
    }

    // Creation runs after the window is built; a failure there gives back
    // what creation had opened (the list's cursor, the form's pending edit).
    void aFailedCreationGivesBackWhatItOpened()
    {
        HolderFixture f;
        f.holders(1, QStringLiteral("Renovado"), 100);
        QStringList& counter = f.dm().Qr_TotalRenovado->sql();
        const QStringList counterSql = counter;
        counter = QStringList{QStringLiteral("Select Count(*) as TotalRenovado From NO_SUCH_TABLE")};
        {
            TFrm_Bolsistas list(f.sessao);
            QVERIFY_THROWS_EXCEPTION(plat::Error, plat::ui::showModal(&list));
            QVERIFY(!f.dm().Tb_Bolsistas->isOpen());
        }
        counter = counterSql;

        // The advisors' table unreadable: the edit is open when the advisor
        // cursor fails to open.
        f.dm().database().exec(QStringLiteral("ALTER TABLE ZELTAORI RENAME TO ZELTAORI_FORA"));
        Table& bol = *f.dm().Tb_Bolsistas;
        bol.open();
        TFrm_Cad_Bolsistas form(f.dm(), f.validator, TFrm_Cad_Bolsistas::Modo::Editar);
        QVERIFY_THROWS_EXCEPTION(plat::Error, plat::ui::showModal(&form));
        QCOMPARE(bol.state(), Table::State::Browse);
        QVERIFY(f.modals.shown().isEmpty());
    }

    void editOfAHolderWhoseAdvisorIsGone()
    {
        HolderFixture f;
        f.data.addHolder(QStringLiteral("ANA"), makeCpf(1), QStringLiteral("Novo"), makeCpf(950), 77);
        auto form = openForm(f, false);
        QVERIFY(form->Panel_Cpf_Orientador->text().isEmpty());
        QVERIFY(form->Panel_Orientador->text().isEmpty());
        QVERIFY(form->DbTitulo->toPlainText().isEmpty());
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.last().text, QStringLiteral("orientador campo obrigatório"));
        form->SpeedCancelar->click();
        QCOMPARE(f.holderField(QStringLiteral("CPF_ORIENTADOR"), makeCpf(1)), makeCpf(950));
    }

    void editKeepsTheAdvisorRecordItsNumberNames()
    {
        HolderFixture f;
        const QString ori = makeCpf(900);
        f.data.addAdvisor(ori, QStringLiteral("JOSE"), QStringLiteral("D"), QStringLiteral("PRIMEIRO PROJETO"));
        const qint64 second = f.data.addAdvisor(ori, QStringLiteral("JOSE"), QStringLiteral("D"),
                                                QStringLiteral("SEGUNDO PROJETO"));
        f.data.addHolder(QStringLiteral("ANA"), makeCpf(1), QStringLiteral("Novo"), ori, second);
        auto form = openForm(f, false);
        QCOMPARE(form->DbTitulo->toPlainText(), QStringLiteral("SEGUNDO PROJETO"));
        QCOMPARE(f.dm().Tb_Orientador->field(QStringLiteral("CODIGO")).asInteger(), second);
        form->SpeedConfirma->click();
        QCOMPARE(f.holderField(QStringLiteral("NUMERO_ORIENTADOR"), makeCpf(1)).toLongLong(), second);
    }

    void aDateStillBeingTypedIsCheckedByConfirma()
    {
        // "Confirma" takes no focus: a date typed last is still in its box.
        HolderFixture f;
        const QString ori = makeCpf(900);
        const qint64 codigo = f.data.addAdvisor(ori, QStringLiteral("JOSE"));
        f.data.addHolder(QStringLiteral("ANA"), makeCpf(1), QStringLiteral("Novo"), ori, codigo);
        auto form = openForm(f, false);
        form->DBEdDataNascimento->setFocus();
        form->DBEdDataNascimento->selectAll();
        QTest::keyClick(form->DBEdDataNascimento, Qt::Key_Delete);
        QTest::keyClicks(form->DBEdDataNascimento, QStringLiteral("31021990"));
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.count(), 1);
        QCOMPARE(f.messages.last().kind, plat::ui::MessageKind::Error);
        QVERIFY2(f.messages.last().text.contains(QStringLiteral("31/02/1990")), qPrintable(f.messages.last().text));
        QVERIFY(form->isVisible());
        QVERIFY(form->DBEdDataNascimento->hasFocus());
        QCOMPARE(f.dm().Tb_Bolsistas->state(), Table::State::Edit);
        QCOMPARE(f.holderField(QStringLiteral("DATA_NASCIMENTO"), makeCpf(1)), QStringLiteral("1980-05-17"));

        // Mended, the same click stores the new date.
        form->DBEdDataNascimento->selectAll();
        QTest::keyClick(form->DBEdDataNascimento, Qt::Key_Delete);
        QTest::keyClicks(form->DBEdDataNascimento, QStringLiteral("28021990"));
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.count(), 1);
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(f.holderField(QStringLiteral("DATA_NASCIMENTO"), makeCpf(1)), QStringLiteral("1990-02-28"));
    }

    void editingAHolderWithARefusedCpf()
    {
        // Last year's file may carry a CPF the check refuses; the closed CPF box
        // must not hold the focus of the edit.
        HolderFixture f;
        const QString ori = makeCpf(900);
        const qint64 codigo = f.data.addAdvisor(ori, QStringLiteral("JOSE"));
        f.data.addHolder(QStringLiteral("ANA"), QStringLiteral("123.456.789-00"), QStringLiteral("Novo"), ori, codigo);
        auto form = openForm(f, false);
        QVERIFY(form->DBEdBolsista->hasFocus());
        form->DBEdCPFBolsista->setFocus();
        QTest::keyClick(form->DBEdCPFBolsista, Qt::Key_Tab);
        QCOMPARE(f.messages.count(), 0);
        QVERIFY(!form->DBEdCPFBolsista->hasFocus());
        form->DBEdBolsista->selectAll();
        typeInto(form->DBEdBolsista, QStringLiteral("ana maria"));
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.count(), 0);
        QCOMPARE(f.holderField(QStringLiteral("Nome"), QStringLiteral("123.456.789-00")), QStringLiteral("ANA MARIA"));
    }

    // What the form refuses on a stored holder, the list of problems names:
    // one field wrong at a time, the form's message and the list's field.
    void listNamesWhatTheFormRefuses_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("check");
        QTest::addColumn<int>("campo");
        QTest::addColumn<bool>("stops");
        auto row = [](const char* name, const char* column, const QVariant& value, HolderCheck check, Campo campo, bool stops) {
            QTest::newRow(name) << QString::fromLatin1(column) << value << int(check) << int(campo) << stops;
        };
        row("sex", "SEXO", QStringLiteral("X"), HolderCheck::Sexo, Campo::Sexo, true);
        row("birth date", "DATA_NASCIMENTO", QVariant(), HolderCheck::Nascimento, Campo::DataNascimento, true);
        row("branch", "CODIGO_AGENCIA", QStringLiteral(" 234-5"), HolderCheck::Agencia, Campo::CodigoAgencia, true);
        row("advisor", "CPF_ORIENTADOR", makeCpf(950), HolderCheck::Orientador, Campo::CpfOrientador, false);
        row("name", "Nome", QString(), HolderCheck::Nome, Campo::Nome, false);
    }
    void listNamesWhatTheFormRefuses()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(int, check);
        QFETCH(int, campo);
        QFETCH(bool, stops);
        HolderFixture f;
        const QString ori = makeCpf(900);
        const qint64 codigo = f.data.addAdvisor(ori, QStringLiteral("JOSE"));
        const qint64 rowid = f.data.addHolder(QStringLiteral("ANA"), makeCpf(1), QStringLiteral("Renovado"), ori, codigo);
        Completude walk(f.dm().database(), Regras::verificacao(f.validator));
        QVERIFY(walk.bolsista(rowid)->pendencias.isEmpty());
        f.dm().database().exec(QStringLiteral("UPDATE ZELTABOL SET %1=?").arg(column), {value});

        // The walk of the whole register and the check of one record agree.
        const QList<Pendencia> one = walk.bolsista(rowid)->pendencias;
        const ListaPendencias all = listarPendencias(f.dm().database(), f.dm().holderOrdering(), f.dm().advisorOrdering(),
                                                     Regras::verificacao(f.validator));
        QCOMPARE(all.registros.size(), 1);
        QCOMPARE(all.registros.first().pendencias.size(), one.size());
        const auto named = std::find_if(one.begin(), one.end(), [&](const Pendencia& p) { return int(p.campo) == campo; });
        QVERIFY(named != one.end());
        QCOMPARE(named->impedeGeracao, stops);
        if (!stops)
            QCOMPARE(named->mensagem, holderCheckMessage(HolderCheck(check)));

        auto form = openForm(f, false);
        form->SpeedConfirma->click();
        QCOMPARE(f.messages.texts(), QStringList{holderCheckMessage(HolderCheck(check))});
        form->SpeedCancelar->click();
    }

    // Leaving the CPF box finds a registered holder only by the very CPF typed,
    // and a holder reopened to mend its CPF is not another holder with it.
    void cpfLookUpIsExact()
    {
        HolderFixture f;
        const QString ori = makeCpf(900);
        const qint64 codigo = f.data.addAdvisor(ori, QStringLiteral("JOSE"));
        f.data.addHolder(QStringLiteral("ANA"), makeCpf(5), QStringLiteral("Novo"), ori, codigo);
        f.data.addHolder(QStringLiteral("BIA"), makeCpf(3), QStringLiteral("Novo"), ori, codigo);

        auto novo = openForm(f, true);
        enterHolderCpf(*novo, makeCpf(2)); // BIA's is the nearest
        QCOMPARE(novo->windowTitle(), QStringLiteral("Novo Bolsista"));
        QCOMPARE(f.dm().Tb_Bolsistas->state(), Table::State::Insert);
        novo->SpeedCancelar->click();

        auto form = openForm(f, false); // ANA, first by name
        for (const QString& cpf : {makeCpf(5), makeCpf(2), makeCpf(3)}) {
            form->focoEm(Campo::Cpf);
            enterHolderCpf(*form, cpf);
        }
        QCOMPARE(f.messages.texts(), QStringList{holderText::cpfOfHolder(QStringLiteral("BIA"))});
        form->SpeedCancelar->click();
    }

    void escDoesNotDropTheEntry()
    {
        HolderFixture f;
        auto form = openForm(f, true);
        enterHolderCpf(*form, makeCpf(10));
        typeInto(form->DBEdBolsista, QStringLiteral("paula"));
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QCOMPARE(f.dm().Tb_Bolsistas->state(), Table::State::Insert);
        QCOMPARE(form->DBEdBolsista->text(), QStringLiteral("PAULA"));
        form->SpeedCancelar->click();
        QCOMPARE(form->result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestHolderWindows)
#include "test_holder_windows.moc"
