#include "advisors/windows/TFrm_Cad_Orientador.h"

#include "advisors/AdvisorRules.h"
#include "advisors/windows/TFrm_SubArea.h"
#include "data/CpfOwners.h"
#include "data/TDm_Dados.h"
#include "platform/system/Cp1252.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Help.h"
#include "platform/ui/MaskEdit.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/WindowChrome.h"
#include "validation/Completude.h"
#include "validation/TVlCpfCgc.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

namespace zelta {

using plat::db::Table;
using plat::ui::boundEdit;
using plat::ui::DBEdit;
using plat::ui::framed;

namespace {

const QString kAreaMask = QStringLiteral("9.99.99.99-9");

} // namespace

TFrm_Cad_Orientador::TFrm_Cad_Orientador(TDm_Dados& dados, TVlCpfCgc& validador, Modo modo, const QString& subArea,
                                         QWidget* parent)
    : Form(parent), m_dm(dados), m_validador(validador), m_modo(modo), m_subArea(subArea)
{
    setObjectName(QStringLiteral("Frm_Cad_Orientador"));
    buildUi();
    wireEvents();
    plat::ui::setNoBorderIcons(this); // left only through "Confirma" or "Cancelar"
    setFixedSize(668, 448);
}

TFrm_Cad_Orientador::~TFrm_Cad_Orientador() { closeOnDestroy(); }

QWidget* TFrm_Cad_Orientador::buildAreaRow()
{
    EditArea = new plat::ui::MaskEdit(this);
    EditArea->setObjectName(QStringLiteral("EditArea"));
    EditArea->setEditMask(kAreaMask);
    EditArea->setFixedWidth(EditArea->fontMetrics().horizontalAdvance(QStringLiteral("0.00.00.00-0")) + 20);
    EditSubarea = plat::ui::displayBox(this, QStringLiteral("EditSubarea"));
    SpeedButton1 = plat::ui::speedButton(this, QStringLiteral("SpeedButton1"), QStringLiteral("Área"), QStyle::SP_DirOpenIcon);
    return plat::ui::framedRow(this, QStringLiteral("Área"), {EditArea, EditSubarea, SpeedButton1});
}

QWidget* TFrm_Cad_Orientador::buildBoxes()
{
    plat::db::DataSource* ds = m_dm.Ds_Orientador;
    DBEdCpf = boundEdit(this, ds, QStringLiteral("CPF"), QStringLiteral("DBEdCpf"), plat::ui::MaskEdit::CharCase::Normal);
    plat::ui::setHelpContext(DBEdCpf, 1);
    DBEdOrientador = boundEdit(this, ds, QStringLiteral("NOME"), QStringLiteral("DBEdOrientador"));
    plat::ui::setHelpContext(DBEdOrientador, 2);
    RadioTitulacao = new plat::ui::RadioGroup(QStringLiteral("Titulação"), {QStringLiteral("Doutor"), QStringLiteral("Mestre")},
                                              2, this);
    RadioTitulacao->setObjectName(QStringLiteral("RadioTitulacao"));
    QWidget* area = buildAreaRow();

    DBMemoTitulo = new plat::ui::DBMemo(ds, QStringLiteral("TITULO"), this);
    DBMemoTitulo->setObjectName(QStringLiteral("DBMemoTitulo"));
    DBMemoTitulo->setMaxLength(240);
    DBMemoTitulo->setSingleParagraph(true);
    DBMemoTitulo->setFixedHeight(DBMemoTitulo->fontMetrics().lineSpacing() * 5 + 12);
    plat::ui::setHelpContext(DBMemoTitulo, 4);

    DBEdPalavra1 = boundEdit(this, ds, QStringLiteral("P_CHAVE1"), QStringLiteral("DBEdPalavra1"));
    DBEdPalavra2 = boundEdit(this, ds, QStringLiteral("P_CHAVE2"), QStringLiteral("DBEdPalavra2"));
    DBEdPalavra3 = boundEdit(this, ds, QStringLiteral("P_CHAVE3"), QStringLiteral("DBEdPalavra3"));
    for (DBEdit* e : {DBEdPalavra1, DBEdPalavra2, DBEdPalavra3})
        plat::ui::setHelpContext(e, 5);

    RadioPesquisador = new plat::ui::RadioGroup(QStringLiteral("Pesquisador do Orvu"),
                                                {QStringLiteral("Sim"), QStringLiteral("Não")}, 2, this);
    RadioPesquisador->setObjectName(QStringLiteral("RadioPesquisador"));
    RadioPesquisador->setItemIndex(1);
    RadioCategoria = new plat::ui::RadioGroup(QStringLiteral("Categoria"), categoriaCodes(), 3, this);
    RadioCategoria->setObjectName(QStringLiteral("RadioCategoria"));

    SpeedConfirma = plat::ui::speedButton(this, QStringLiteral("SpeedConfirma"), QStringLiteral("Confirma"),
                                          QStyle::SP_DialogApplyButton);
    SpeedButton2 = plat::ui::speedButton(this, QStringLiteral("SpeedButton2"), QStringLiteral("Cancelar"),
                                         QStyle::SP_DialogCancelButton);
    return area;
}

void TFrm_Cad_Orientador::buildUi()
{
    QWidget* area = buildBoxes();
    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SpeedConfirma);
    buttons->addWidget(SpeedButton2);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->addWidget(framed(this, QStringLiteral("CPF"), DBEdCpf), 0, 0);
    grid->addWidget(framed(this, QStringLiteral("Orientador"), DBEdOrientador), 0, 1, 1, 2);
    grid->addWidget(RadioTitulacao, 1, 0);
    grid->addWidget(area, 1, 1, 1, 2);
    grid->addWidget(framed(this, QStringLiteral("Titulo do Projeto"), DBMemoTitulo), 2, 0, 1, 3);
    grid->addWidget(framed(this, QStringLiteral("Palavra chave 1"), DBEdPalavra1), 3, 0);
    grid->addWidget(framed(this, QStringLiteral("Palavra chave 2"), DBEdPalavra2), 3, 1);
    grid->addWidget(framed(this, QStringLiteral("Palavra chave 3"), DBEdPalavra3), 3, 2);
    grid->addWidget(RadioPesquisador, 4, 0);
    grid->addWidget(RadioCategoria, 4, 1);
    grid->addLayout(buttons, 4, 2, Qt::AlignRight | Qt::AlignBottom);
    grid->setRowStretch(5, 1);
    grid->setVerticalSpacing(10);
    for (int c = 0; c < 3; ++c)
        grid->setColumnStretch(c, 1);

    // The area picker stands between the code and the title.
    plat::ui::tabChain({DBEdCpf, DBEdOrientador, RadioTitulacao->button(0), RadioTitulacao->button(1), EditArea, SpeedButton1,
                        DBMemoTitulo, DBEdPalavra1, DBEdPalavra2, DBEdPalavra3, RadioPesquisador->button(0),
                        RadioPesquisador->button(1)});
    QWidget* previous = RadioPesquisador->button(1);
    for (int i = 0; i < RadioCategoria->count(); ++i) {
        setTabOrder(previous, RadioCategoria->button(i));
        previous = RadioCategoria->button(i);
    }
}

void TFrm_Cad_Orientador::wireEvents()
{
    using plat::ui::guarded;
    connect(DBEdCpf, &plat::ui::MaskEdit::exited, this, guarded(this, &TFrm_Cad_Orientador::DBEdCpfExit));
    connect(EditArea, &plat::ui::MaskEdit::exited, this, guarded(this, &TFrm_Cad_Orientador::EditAreaExit));
    connect(SpeedButton1, &QToolButton::clicked, this, guarded(this, &TFrm_Cad_Orientador::SpeedButton1Click));
    connect(DBMemoTitulo, &plat::ui::DBMemo::entered, this, guarded(this, &TFrm_Cad_Orientador::DBMemoTituloEnter));
    connect(RadioPesquisador, &plat::ui::RadioGroup::clicked, this, guarded(this, &TFrm_Cad_Orientador::RadioPesquisadorClick));
    connect(RadioCategoria, &plat::ui::RadioGroup::clicked, this, guarded(this, &TFrm_Cad_Orientador::RadioPesquisadorClick));
    connect(SpeedConfirma, &QToolButton::clicked, this, guarded(this, &TFrm_Cad_Orientador::SpeedConfirmaClick));
    connect(SpeedButton2, &QToolButton::clicked, this, guarded(this, &TFrm_Cad_Orientador::SpeedButton2Click));
}

void TFrm_Cad_Orientador::setEntryEnabled(bool enabled)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{DBEdOrientador, RadioTitulacao, DBMemoTitulo, DBEdPalavra1, DBEdPalavra2, DBEdPalavra3})
        w->setEnabled(enabled);
}

// ------------------------------------------------------------------ opening

void TFrm_Cad_Orientador::focoEm(Campo campo)
{
    if (created())
        applyFocus(campo);
    else
        m_foco = campo;
}

void TFrm_Cad_Orientador::applyFocus(Campo campo)
{
    // The CPF stays closed, as in every edit: the advisor's holders name it
    // by that CPF, so it is not changed here.
    switch (campo) {
    case Campo::Titulacao:
        if (RadioTitulacao->button(0))
            RadioTitulacao->button(0)->setFocus();
        break;
    case Campo::Titulo:
        DBMemoTitulo->setFocus();
        break;
    case Campo::PalavraChave:
        DBEdPalavra1->setFocus();
        break;
    case Campo::Chave1IgualChave2:
        DBEdPalavra2->setFocus();
        break;
    case Campo::Chave1IgualChave3:
    case Campo::Chave2IgualChave3:
        DBEdPalavra3->setFocus();
        break;
    case Campo::CodArea:
        EditArea->setFocus();
        break;
    default:
        DBEdOrientador->setFocus();
        break;
    }
}

void TFrm_Cad_Orientador::FormCreate()
{
    m_holdersWereOpen = m_dm.Tb_Bolsistas->isOpen();
    m_dm.Tb_SelOrientador->open();
    m_dm.Tb_SubArea->open();
    if (m_modo == Modo::Novo)
        openNew();
    else
        openEdit();
    if (m_foco)
        applyFocus(*m_foco);
}

void TFrm_Cad_Orientador::openNew()
{
    m_dm.Tb_Orientador->insert();
    setWindowTitle(QStringLiteral("Novo Orientador"));
    setEntryEnabled(false);
    RadioCategoria->setEnabled(false);
    SpeedConfirma->setEnabled(false);
}

void TFrm_Cad_Orientador::openEdit()
{
    setWindowTitle(QStringLiteral("Editar o Orientador"));
    Table& ori = *m_dm.Tb_Orientador;
    Table& area = *m_dm.Tb_SubArea;

    // The area shown is the one whose code is the stored one, or else the next
    // in code order.
    area.setIndexName(QStringLiteral("Id_CodSubarea"));
    const QString code = areaCodeFromDigits(ori.field(QStringLiteral("COD_AREA")).asString());
    area.findNearest({code});
    EditArea->setValue(code);
    EditSubarea->setText(area.field(QStringLiteral("SUBAREA")).asString());

    RadioTitulacao->setItemIndex(titulacaoItem(ori.field(QStringLiteral("TITULACAO")).asString()));

    if (ori.field(QStringLiteral("PESQUISADOR")).asString() == u"S") {
        RadioPesquisador->setItemIndex(0);
        RadioCategoria->setEnabled(true);
        RadioCategoria->setItemIndex(int(categoriaCodes().indexOf(ori.field(QStringLiteral("CATEGORIA")).asString())));
    } else {
        RadioPesquisador->setItemIndex(1);
        RadioCategoria->setItemIndex(-1);
        RadioCategoria->setEnabled(false);
    }

    ori.edit();
    DBEdCpf->setEnabled(false);
    setEntryEnabled(true);
    SpeedConfirma->setEnabled(true);
}

// ------------------------------------------------------------------ handlers

void TFrm_Cad_Orientador::DBEdCpfExit()
{
    const QString cpf = DBEdCpf->value();
    TVlCpfCgc& validator = m_validador;
    validator.setInput(cpf);
    if (!validator.Valid()) {
        plat::ui::attention(QStringLiteral("Favor verificar o CPF"), this);
        DBEdCpf->setFocus();
        return;
    }
    setEntryEnabled(true);
    SpeedConfirma->setEnabled(true);
    DBEdOrientador->setFocus();
    DBEdCpf->setEnabled(false);

    if (m_modo != Modo::Novo)
        return;
    // A holder's CPF cannot be an advisor's. Other advisors may share it: one
    // person may lead several projects.
    if (const CpfOwner holder = CpfOwners(m_dm.database()).holder(cpf); holder.found()) {
        SpeedConfirma->setEnabled(false);
        plat::ui::showMessage(advisorText::cpfOfHolder(holder.nome), this);
        DBEdCpf->setEnabled(true);
        DBEdCpf->setFocus();
        return;
    }
    RadioPesquisador->setItemIndex(1);
    RadioCategoria->setItemIndex(-1);
    RadioCategoria->setEnabled(false);
}

void TFrm_Cad_Orientador::EditAreaExit()
{
    Table& area = *m_dm.Tb_SubArea;
    area.setIndexName(QStringLiteral("Id_CodSubarea"));
    const QString code = EditArea->value();
    if (code == EditArea->editMask().emptyValue())
        return;
    if (area.findKey({code})) {
        EditSubarea->setText(area.field(QStringLiteral("SUBAREA")).asString());
        return;
    }
    plat::ui::showMessage(advisorText::areaNotFound(), this);
    EditArea->setFocus();
}

void TFrm_Cad_Orientador::SpeedButton1Click()
{
    {
        TFrm_SubArea picker(m_subArea, this);
        plat::ui::showModal(&picker);
        m_subArea = picker.subArea();
    }
    EditSubarea->setText(m_subArea);
    Table& area = *m_dm.Tb_SubArea;
    area.setIndexName(QString());
    area.findKey({m_subArea});
    EditArea->setValue(area.field(QStringLiteral("CODIGO")).asString());
}

void TFrm_Cad_Orientador::DBMemoTituloEnter()
{
    QTextCursor c = DBMemoTitulo->textCursor();
    c.setPosition(0);
    c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    DBMemoTitulo->setTextCursor(c);
}

void TFrm_Cad_Orientador::RadioPesquisadorClick()
{
    if (RadioPesquisador->itemIndex() == 0) {
        RadioCategoria->setEnabled(true);
    } else {
        RadioCategoria->setEnabled(false);
        RadioCategoria->setItemIndex(-1);
    }
}

void TFrm_Cad_Orientador::SpeedConfirmaClick()
{
    AdvisorEntry entry;
    entry.nome = DBEdOrientador->text();
    entry.titulacao = RadioTitulacao->itemIndex();
    entry.titulo = DBMemoTitulo->toPlainText();
    entry.palavra1 = DBEdPalavra1->text();
    entry.palavra2 = DBEdPalavra2->text();
    entry.palavra3 = DBEdPalavra3->text();
    entry.subarea = EditSubarea->text();
    if (const QString problem = advisorEntryProblem(entry); !problem.isEmpty()) {
        plat::ui::showMessage(problem, this);
        return;
    }

    // The code stored follows the area name shown.
    Table& area = *m_dm.Tb_SubArea;
    area.setIndexName(QString());
    area.findNearest({EditSubarea->text()});

    Table& ori = *m_dm.Tb_Orientador;
    const bool pesquisador = RadioPesquisador->itemIndex() == 0;
    const int categoria = RadioCategoria->itemIndex();
    ori.field(QStringLiteral("PESQUISADOR")).setAsString(pesquisador ? QStringLiteral("S") : QStringLiteral(" "));
    ori.field(QStringLiteral("CATEGORIA"))
        .setAsString(pesquisador && categoria >= 0 ? categoriaCodes().at(categoria) : QStringLiteral("  "));
    ori.field(QStringLiteral("COD_AREA")).setAsString(areaCodeDigits(area.field(QStringLiteral("CODIGO")).asString()));
    ori.field(QStringLiteral("TITULACAO")).setAsString(entry.titulacao == 0 ? QStringLiteral("D") : QStringLiteral("M"));
    // The title in capitals, accented letters included, as the name boxes raise them.
    ori.field(QStringLiteral("TITULO")).setAsString(plat::sys::upperCp1252(ori.field(QStringLiteral("TITULO")).asString()));
    ori.post();

    m_nome = ori.field(QStringLiteral("NOME")).asString();
    accept();
}

void TFrm_Cad_Orientador::SpeedButton2Click()
{
    m_dm.Tb_Orientador->cancel();
    reject();
}

void TFrm_Cad_Orientador::FormClose()
{
    // Closed by neither button (only the program can do that): the pending
    // record is dropped, never posted by a later move of the cursor.
    Table& ori = *m_dm.Tb_Orientador;
    if (ori.isOpen() && (ori.state() == Table::State::Insert || ori.state() == Table::State::Edit))
        ori.cancel();
    m_dm.Tb_SelOrientador->close();
    m_dm.Tb_SubArea->close();
    // The CPF check may have opened the holder cursor; the list below does not
    // show it, so it is given back unless it was open before this form.
    if (!m_holdersWereOpen)
        m_dm.Tb_Bolsistas->close();
}

} // namespace zelta
