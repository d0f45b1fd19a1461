#include "holders/windows/TFrm_Cad_Bolsistas.h"

#include "data/CpfOwners.h"
#include "data/TDm_Dados.h"
#include "holders/HolderRules.h"
#include "holders/windows/TFrm_SelOrientador.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Help.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/OrderingGuard.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/WindowChrome.h"
#include "validation/Completude.h"
#include "validation/TVlCpfCgc.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace zelta {

using plat::db::Table;
using plat::ui::boundEdit;
using plat::ui::charsWidth;
using plat::ui::displayBox;
using plat::ui::framedRow;

TFrm_Cad_Bolsistas::TFrm_Cad_Bolsistas(TDm_Dados& dados, TVlCpfCgc& validador, Modo modo, QWidget* parent)
    : Form(parent), m_dm(dados), m_validador(validador), m_modo(modo)
{
    setObjectName(QStringLiteral("Frm_Cad_Bolsistas"));
    buildUi();
    wireEvents();
    plat::ui::setNoBorderIcons(this); // left only through "Confirma" or "Cancelar"
    setFixedSize(600, 430);
}

TFrm_Cad_Bolsistas::~TFrm_Cad_Bolsistas() { closeOnDestroy(); }

void TFrm_Cad_Bolsistas::buildBoxes()
{
    plat::db::DataSource* ds = m_dm.Ds_Bolsistas;
    DBEdCPFBolsista = boundEdit(this, ds, QStringLiteral("CPF"), QStringLiteral("DBEdCPFBolsista"));
    DBEdCPFBolsista->setFixedWidth(charsWidth(this, 15));
    plat::ui::setHelpContext(DBEdCPFBolsista, 1);
    DBEdBolsista = boundEdit(this, ds, QStringLiteral("Nome"), QStringLiteral("DBEdBolsista"));
    plat::ui::setHelpContext(DBEdBolsista, 6);
    DBEdDataNascimento = boundEdit(this, ds, QStringLiteral("DATA_NASCIMENTO"), QStringLiteral("DBEdDataNascimento"),
                                   plat::ui::MaskEdit::CharCase::Normal);
    DBEdDataNascimento->setFixedWidth(charsWidth(this, 11));
    plat::ui::setHelpContext(DBEdDataNascimento, 8);
    RadioSexo = new plat::ui::RadioGroup(QStringLiteral("Sexo"), {QStringLiteral("Feminino"), QStringLiteral("Masculino")}, 2,
                                         this);
    RadioSexo->setObjectName(QStringLiteral("RadioSexo"));
    DBEdAgencia = boundEdit(this, ds, QStringLiteral("CODIGO_AGENCIA"), QStringLiteral("DBEdAgencia"));
    DBEdAgencia->setMaxLength(6);
    DBEdAgencia->setFixedWidth(charsWidth(this, 8));
    plat::ui::setHelpContext(DBEdAgencia, 11);

    Panel_Situacao = displayBox(this, QStringLiteral("Panel_Situacao"));
    Panel_Processo = displayBox(this, QStringLiteral("Panel_Processo"));
    Panel_Demanda = displayBox(this, QStringLiteral("Panel_Demanda"));
    Panel_Cpf_Orientador = displayBox(this, QStringLiteral("Panel_Cpf_Orientador"));
    Panel_Cpf_Orientador->setFixedWidth(charsWidth(this, 15));
    Panel_Orientador = displayBox(this, QStringLiteral("Panel_Orientador"));
    SpeedOrientador = plat::ui::speedButton(this, QStringLiteral("SpeedOrientador"), QStringLiteral("Orientadores"),
                                            QStyle::SP_FileDialogListView);
    SpeedOrientador->setToolTip(QStringLiteral("Tabela de Orientadores"));

    DbTitulo = new plat::ui::DBMemo(m_dm.Ds_Orientador, QStringLiteral("TITULO"), this);
    DbTitulo->setObjectName(QStringLiteral("DbTitulo"));
    DbTitulo->setReadOnly(true);
    DbTitulo->setFocusPolicy(Qt::NoFocus); // not a tab stop
    DbTitulo->setFixedHeight(DbTitulo->fontMetrics().lineSpacing() * 4 + 12);

    SpeedConfirma = plat::ui::speedButton(this, QStringLiteral("SpeedConfirma"), QStringLiteral("Confirma"),
                                          QStyle::SP_DialogApplyButton);
    SpeedCancelar = plat::ui::speedButton(this, QStringLiteral("SpeedCancelar"), QStringLiteral("Cancelar"),
                                          QStyle::SP_DialogCancelButton);
}

void TFrm_Cad_Bolsistas::buildUi()
{
    buildBoxes();
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(framedRow(this, QStringLiteral("CPF"), {DBEdCPFBolsista}), 0, 0);
    grid->addWidget(framedRow(this, QStringLiteral("Nome"), {DBEdBolsista}), 0, 1, 1, 2);
    grid->addWidget(framedRow(this, QStringLiteral("Data Nascimento"), {DBEdDataNascimento}), 1, 0);
    grid->addWidget(RadioSexo, 1, 1);
    grid->addWidget(framedRow(this, QStringLiteral("Código da Agência Bancaria"), {DBEdAgencia}), 1, 2);
    grid->addWidget(framedRow(this, QStringLiteral("Situação"), {Panel_Situacao}), 2, 0);
    grid->addWidget(framedRow(this, QStringLiteral("Processo"), {Panel_Processo}), 2, 1);
    grid->addWidget(framedRow(this, QStringLiteral("Demanda"), {Panel_Demanda}), 2, 2);
    auto* advisorBox = framedRow(this, QStringLiteral("Orientador"), {Panel_Cpf_Orientador, Panel_Orientador});
    grid->addWidget(advisorBox, 3, 0, 1, 3);
    static_cast<QHBoxLayout*>(advisorBox->layout())->addWidget(SpeedOrientador);
    grid->addWidget(framedRow(this, QStringLiteral("Projeto"), {DbTitulo}), 4, 0, 1, 3);
    for (int c = 0; c < 3; ++c)
        grid->setColumnStretch(c, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SpeedConfirma);
    buttons->addWidget(SpeedCancelar);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);

    plat::ui::tabChain(
        {DBEdCPFBolsista, DBEdBolsista, DBEdDataNascimento, RadioSexo->button(0), RadioSexo->button(1), DBEdAgencia});
}

void TFrm_Cad_Bolsistas::wireEvents()
{
    using plat::ui::guarded;
    connect(DBEdCPFBolsista, &plat::ui::MaskEdit::exited, this, guarded(this, &TFrm_Cad_Bolsistas::DBEdCPFBolsistaExit));
    connect(SpeedOrientador, &QToolButton::clicked, this, guarded(this, &TFrm_Cad_Bolsistas::SpeedOrientadorClick));
    connect(SpeedConfirma, &QToolButton::clicked, this, guarded(this, &TFrm_Cad_Bolsistas::SpeedConfirmaClick));
    connect(SpeedCancelar, &QToolButton::clicked, this, guarded(this, &TFrm_Cad_Bolsistas::SpeedCancelarClick));
}

void TFrm_Cad_Bolsistas::setEntryEnabled(bool enabled)
{
    // Closed boxes look closed and take no focus, as on the advisor form; Tab
    // still leaves the CPF box, for the buttons are in the tab order.
    for (QWidget* w :
         std::initializer_list<QWidget*>{DBEdBolsista, DBEdDataNascimento, DBEdAgencia, RadioSexo, DbTitulo, SpeedConfirma})
        w->setEnabled(enabled);
}

void TFrm_Cad_Bolsistas::setCpfOpen(bool open)
{
    DBEdCPFBolsista->setReadOnly(!open);
    DBEdCPFBolsista->setEnabled(open);
}

void TFrm_Cad_Bolsistas::showStoredValues()
{
    Table& bol = *m_dm.Tb_Bolsistas;
    Panel_Processo->setText(bol.field(QStringLiteral("PROCESSO")).asString());
    Panel_Demanda->setText(bol.field(QStringLiteral("DEMANDA")).asString());
    Panel_Situacao->setText(bol.field(QStringLiteral("SITUACAO")).asString());
}

void TFrm_Cad_Bolsistas::selectSexo()
{
    RadioSexo->setItemIndex(sexoItem(m_dm.Tb_Bolsistas->field(QStringLiteral("SEXO")).asString()));
}

// Puts the advisor cursor on the advisor record with this CPF and number,
// keeping its ordering, so that the project memo shows that record's title.
bool TFrm_Cad_Bolsistas::moveAdvisorCursorTo(const QString& cpf, qint64 codigo)
{
    Table& ori = *m_dm.Tb_Orientador;
    if (!ori.isOpen())
        ori.open();
    const plat::ui::OrderingGuard ordering(ori);
    ori.setIndexName(QStringLiteral("Id_Orientador_Cpf"));
    if (!ori.findKey({cpf}))
        return false;
    // One person may own several records: walk them to the one numbered.
    for (; !ori.eof() && ori.field(QStringLiteral("CPF")).asString() == cpf; ori.next()) {
        if (ori.field(QStringLiteral("CODIGO")).asInteger() == codigo)
            return true;
    }
    return false;
}

void TFrm_Cad_Bolsistas::showAdvisor(const HolderAdvisor& advisor)
{
    m_codigoOrientador = advisor.codigo;
    Panel_Cpf_Orientador->setText(advisor.cpf);
    Panel_Orientador->setText(advisor.nome);
    if (moveAdvisorCursorTo(advisor.cpf, advisor.codigo)) {
        DbTitulo->setDataSource(m_dm.Ds_Orientador);
    } else {
        DbTitulo->setDataSource(nullptr);
        DbTitulo->setPlainText(advisor.titulo);
    }
}

void TFrm_Cad_Bolsistas::clearAdvisor()
{
    Panel_Cpf_Orientador->clear();
    Panel_Orientador->clear();
    DbTitulo->setDataSource(nullptr);
    DbTitulo->clear();
}

// The advisor the current holder points at: its CPF_ORIENTADOR, and among the
// records of that person the one NUMERO_ORIENTADOR names.
void TFrm_Cad_Bolsistas::showAdvisorOfHolder()
{
    Table& bol = *m_dm.Tb_Bolsistas;
    clearAdvisor();
    const HolderAdvisor advisor = holderAdvisor(*m_dm.Qr_Limpa, bol.field(QStringLiteral("CPF_ORIENTADOR")).asString(),
                                                bol.field(QStringLiteral("NUMERO_ORIENTADOR")).asInteger());
    if (advisor.found)
        showAdvisor(advisor);
}

// ------------------------------------------------------------------ opening

void TFrm_Cad_Bolsistas::editar(TDm_Dados& dados, TVlCpfCgc& validador, QWidget* parent, const Campo* campo)
{
    TFrm_Cad_Bolsistas form(dados, validador, Modo::Editar, parent);
    if (campo)
        form.focoEm(*campo);
    plat::ui::showModal(&form);
}

void TFrm_Cad_Bolsistas::focoEm(Campo campo)
{
    if (created())
        applyFocus(campo);
    else
        m_foco = campo;
}

void TFrm_Cad_Bolsistas::applyFocus(Campo campo)
{
    switch (campo) {
    case Campo::Cpf:
        setCpfOpen(true);
        DBEdCPFBolsista->setFocus();
        break;
    case Campo::Sexo:
        if (RadioSexo->button(0))
            RadioSexo->button(0)->setFocus();
        break;
    case Campo::DataNascimento:
        DBEdDataNascimento->setFocus();
        break;
    case Campo::CodigoAgencia:
        DBEdAgencia->setFocus();
        break;
    case Campo::Nome:
        DBEdBolsista->setFocus();
        break;
    default:
        SpeedOrientador->setFocus();
        break; // the advisor is chosen with its button
    }
}

void TFrm_Cad_Bolsistas::FormCreate()
{
    m_advisorsWereOpen = m_dm.Tb_Orientador->isOpen();
    if (m_modo == Modo::Novo)
        openNew();
    else
        openEdit();
    if (m_foco)
        applyFocus(*m_foco);
}

void TFrm_Cad_Bolsistas::openNew()
{
    setWindowTitle(QStringLiteral("Novo Bolsista"));
    m_dm.Tb_Bolsistas->insert();
    m_dm.Tb_Orientador->close();
    clearAdvisor();
    setCpfOpen(true);
    setEntryEnabled(false);
    RadioSexo->setItemIndex(-1);
    Panel_Situacao->setText(situacao::novo);
}

void TFrm_Cad_Bolsistas::openEdit()
{
    setWindowTitle(QStringLiteral("Edita o Bolsista"));
    Table& bol = *m_dm.Tb_Bolsistas;
    m_ultimoBolsista = bol.field(QStringLiteral("Nome")).asString();
    m_codigoOrientador = bol.field(QStringLiteral("NUMERO_ORIENTADOR")).asInteger();
    bol.edit();
    showStoredValues();
    // A two-letter code left by an older release shows as its word, which
    // "Confirma" then stores.
    Panel_Situacao->setText(situacaoWord(Panel_Situacao->text()));
    setCpfOpen(false);
    setEntryEnabled(true);
    m_dm.Tb_Orientador->open();
    showAdvisorOfHolder();
    selectSexo();
    DBEdBolsista->setFocus();
}

// ------------------------------------------------------------------ handlers

void TFrm_Cad_Bolsistas::DBEdCPFBolsistaExit()
{
    // The box is closed once the CPF is taken (and when an existing holder is
    // edited): its number is not checked again, so a stored CPF the check
    // refuses does not hold the focus there.
    if (!DBEdCPFBolsista->isEnabled() || DBEdCPFBolsista->isReadOnly())
        return;
    const QString cpf = DBEdCPFBolsista->value();
    TVlCpfCgc& validator = m_validador;
    validator.setInput(cpf);
    if (!validator.Valid()) {
        plat::ui::attention(QStringLiteral("Favor verificar o CPF"), this);
        DBEdCPFBolsista->setFocus();
        return;
    }
    setEntryEnabled(true);
    DBEdBolsista->setFocus();
    setCpfOpen(false);
    if (m_modo != Modo::Novo) {
        // A registered holder's CPF opened to be mended (focoEm): it may not
        // become an advisor's or another holder's.
        const CpfOwner used = CpfOwners(m_dm.database()).forHolder(cpf, m_dm.Tb_Bolsistas->currentRecord().rowid);
        if (used.found()) {
            setEntryEnabled(false);
            plat::ui::showMessage(used.advisor() ? holderText::cpfOfAdvisor(used.nome) : holderText::cpfOfHolder(used.nome),
                                  this);
            setCpfOpen(true);
            DBEdCPFBolsista->setFocus();
        }
        return;
    }

    if (refuseAdvisorCpf(cpf))
        return;
    // An advisor picked before the CPF stays the holder's; the project memo
    // follows it again on the advisor cursor.
    if (Panel_Cpf_Orientador->text().isEmpty())
        clearAdvisor();
    else if (moveAdvisorCursorTo(Panel_Cpf_Orientador->text(), m_codigoOrientador))
        DbTitulo->setDataSource(m_dm.Ds_Orientador);

    // The CPF of a registered holder: the form edits that holder instead.
    const CpfOwner holder = CpfOwners(m_dm.database()).holder(cpf);
    if (holder.found())
        turnToEdit(holder.record);
}

// An advisor's CPF cannot be a holder's. Only "Confirma" closes again: what
// the user typed and the advisor picked stay, and the project its title,
// although the advisor cursor is closed.
bool TFrm_Cad_Bolsistas::refuseAdvisorCpf(const QString& cpf)
{
    Table& ori = *m_dm.Tb_Orientador;
    const QString titulo = DbTitulo->toPlainText();
    ori.open();
    const CpfOwner advisor = CpfOwners(m_dm.database()).advisor(cpf);
    if (!advisor.found())
        return false;
    SpeedConfirma->setEnabled(false);
    DbTitulo->setDataSource(nullptr);
    DbTitulo->setPlainText(titulo);
    ori.close();
    plat::ui::showMessage(holderText::cpfOfAdvisor(advisor.nome), this);
    setCpfOpen(true);
    DBEdCPFBolsista->setFocus();
    return true;
}

void TFrm_Cad_Bolsistas::turnToEdit(qint64 record)
{
    Table& bol = *m_dm.Tb_Bolsistas;
    bol.cancel();
    setWindowTitle(QStringLiteral("Editar o Bolsista"));
    m_modo = Modo::Editar;
    bol.gotoBookmark(plat::db::Bookmark{{}, record});
    bol.edit();
    showStoredValues();
    m_ultimoBolsista = bol.field(QStringLiteral("Nome")).asString();
    selectSexo();
    showAdvisorOfHolder();
}

void TFrm_Cad_Bolsistas::SpeedOrientadorClick()
{
    Table& ori = *m_dm.Tb_Orientador;
    if (!ori.isOpen())
        ori.open();
    const QString cpfBefore = Panel_Cpf_Orientador->text();
    const bool advisorShown = !Panel_Cpf_Orientador->text().isEmpty();

    int answer = QDialog::Rejected;
    qint64 chosen = 0;
    {
        TFrm_SelOrientador picker(m_dm, this);
        answer = plat::ui::showModal(&picker);
        chosen = picker.codigo();
    }
    if (answer == QDialog::Accepted && ori.hasRecord()) {
        m_codigoOrientador = chosen;
        Panel_Cpf_Orientador->setText(ori.field(QStringLiteral("CPF")).asString());
        Panel_Orientador->setText(ori.field(QStringLiteral("NOME")).asString());
        DbTitulo->setDataSource(m_dm.Ds_Orientador);
        return;
    }
    // Nothing chosen: the holder keeps the advisor it had, and the memo its title.
    if (advisorShown && DbTitulo->dataSource())
        moveAdvisorCursorTo(cpfBefore, m_codigoOrientador);
}

void TFrm_Cad_Bolsistas::SpeedConfirmaClick()
{
    HolderEntry entry;
    entry.nome = DBEdBolsista->text();
    entry.sexo = RadioSexo->itemIndex();
    entry.nascimento = DBEdDataNascimento->value();
    entry.agencia = DBEdAgencia->text();
    entry.cpfOrientador = Panel_Cpf_Orientador->text();
    const QList<HolderProblem> problems = holderEntryProblems(entry);
    if (!problems.isEmpty()) {
        for (const HolderProblem& p : problems) {
            switch (p.check) {
            case HolderCheck::Sexo:
                if (RadioSexo->button(0))
                    RadioSexo->button(0)->setFocus();
                break;
            case HolderCheck::Nascimento:
                DBEdDataNascimento->setFocus();
                break;
            case HolderCheck::Agencia:
                DBEdAgencia->setFocus();
                break;
            case HolderCheck::Orientador:
                break;
            case HolderCheck::Nome:
                DBEdBolsista->setFocus();
                break;
            }
        }
        plat::ui::showMessage(problems.last().message, this);
        return;
    }

    // A date still being typed when "Confirma" was clicked (the button takes
    // no focus) is written now; one that does not convert stops here.
    plat::ui::commitPendingEdits(this);
    Table& bol = *m_dm.Tb_Bolsistas;
    if (bol.state() == Table::State::Browse)
        bol.edit();
    bol.field(QStringLiteral("NUMERO_ORIENTADOR")).setAsInteger(m_codigoOrientador);
    bol.field(QStringLiteral("SEXO")).setAsString(entry.sexo == 0 ? QStringLiteral("F") : QStringLiteral("M"));
    bol.field(QStringLiteral("SEGURO_SAUDE")).setAsString(QString());
    bol.field(QStringLiteral("CPF_ORIENTADOR")).setAsString(entry.cpfOrientador);
    bol.field(QStringLiteral("SITUACAO")).setAsString(Panel_Situacao->text());
    bol.post();
    bol.refresh();
    m_ultimoBolsista = bol.field(QStringLiteral("Nome")).asString();
    accept();
}

void TFrm_Cad_Bolsistas::SpeedCancelarClick()
{
    m_dm.Tb_Bolsistas->cancel();
    reject();
}

void TFrm_Cad_Bolsistas::FormClose()
{
    // Closed by neither button (only the program can do that): the pending
    // record is dropped, never posted by a later move of the cursor.
    Table& bol = *m_dm.Tb_Bolsistas;
    if (bol.isOpen() && (bol.state() == Table::State::Insert || bol.state() == Table::State::Edit))
        bol.cancel();
    m_dm.Tb_SelBolsista->close();
    if (!m_advisorsWereOpen)
        m_dm.Tb_Orientador->close();
}

} // namespace zelta
