#include "advisors/windows/TFrm_Orientadores.h"

#include "advisors/AdvisorRules.h"
#include "advisors/windows/TFrm_Cad_Orientador.h"
#include "advisors/windows/TFrm_ExOrientador.h"
#include "data/TDm_Dados.h"
#include "exchange/windows/ExportarPlanilha.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MaskEdit.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/WindowChrome.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtDebug>

namespace zelta {

using plat::db::Database;
using plat::db::Table;

TFrm_Orientadores::TFrm_Orientadores(Sessao& sessao, QWidget* parent)
    : Form(parent), m_sessao(sessao), m_dm(*sessao.Dm_Dados), m_guard(*m_dm.Tb_Orientador)
{
    setObjectName(QStringLiteral("Frm_Orientadores"));
    setWindowTitle(QStringLiteral("Indicações dos Orientadores"));
    buildUi();
    wireEvents();
    plat::ui::setNoBorderIcons(this);
    resize(675, 569);
}

// A window dropped without closing still gives its cursors back.
TFrm_Orientadores::~TFrm_Orientadores() { closeOnDestroy(); }

void TFrm_Orientadores::buildUi()
{
    BitBtn1 = plat::ui::pictureButton(this, QStringLiteral("BitBtn1"), QStringLiteral("Novo"), QStyle::SP_FileIcon);
    BitBtn2 = plat::ui::pictureButton(this, QStringLiteral("BitBtn2"), QStringLiteral("Editar"),
                                      QStyle::SP_FileDialogContentsView);
    BitBtn3 = plat::ui::pictureButton(this, QStringLiteral("BitBtn3"), QStringLiteral("Excluir"), QStyle::SP_TrashIcon);
    BitBtn4 = plat::ui::pictureButton(this, QStringLiteral("BitBtn4"), QStringLiteral("Sair"), QStyle::SP_DialogCloseButton);
    BitBtnExportar = plat::ui::pictureButton(this, QStringLiteral("BitBtnExportar"), QStringLiteral("Exportar Planilha..."),
                                             QStyle::SP_DialogSaveButton);
    QHBoxLayout* bar = plat::ui::buttonBar({BitBtn1, BitBtn2, BitBtn3, BitBtnExportar}, BitBtn4);

    const auto [search, edit] = plat::ui::searchBox(this, QStringLiteral("Consulta por orientador"),
                                                    QStringLiteral("Ed_Orientador"));
    Ed_Orientador = edit;

    DBGrid1 = new plat::ui::DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns(QStringList{QStringLiteral("CPF"), QStringLiteral("NOME")});
    DBGrid1->setDataSource(m_dm.Ds_Orientador);

    const auto [title, memo] = plat::ui::readOnlyMemoBox(QStringLiteral("Titulo do Projeto"), m_dm.Ds_Orientador,
                                                         QStringLiteral("TITULO"), 4, Qt::ClickFocus, this);
    DBMemo1 = memo;
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(search);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(title);
    setTabOrder(Ed_Orientador, DBGrid1);
    Ed_Orientador->setFocus(); // the list opens ready for a name
}

void TFrm_Orientadores::wireEvents()
{
    using plat::ui::guarded;
    connect(Ed_Orientador, &QLineEdit::textChanged, this, guarded(this, &TFrm_Orientadores::Ed_OrientadorChange));
    connect(BitBtn1, &QToolButton::clicked, this, guarded(this, &TFrm_Orientadores::BitBtn1Click));
    connect(BitBtn2, &QToolButton::clicked, this, guarded(this, &TFrm_Orientadores::BitBtn2Click));
    connect(BitBtn3, &QToolButton::clicked, this, guarded(this, &TFrm_Orientadores::BitBtn3Click));
    connect(BitBtn4, &QToolButton::clicked, this, guarded(this, &TFrm_Orientadores::BitBtn4Click));
    connect(BitBtnExportar, &QToolButton::clicked, this, guarded(this, &TFrm_Orientadores::BitBtnExportarClick));
}

// ------------------------------------------------------------------ handlers

void TFrm_Orientadores::FormCreate()
{
    m_holdersWereOpen = m_dm.Tb_Bolsistas->isOpen();
    m_dm.Tb_Orientador->setIndexFieldNames(QStringLiteral("NOME"));
    m_dm.Tb_Orientador->open();
    m_guard.seen();
}

void TFrm_Orientadores::FormClose()
{
    m_dm.Tb_Orientador->close();
    // The holder cursor that "Excluir" opened is given back too, unless a
    // window below had it open already.
    if (!m_holdersWereOpen)
        m_dm.Tb_Bolsistas->close();
}

bool TFrm_Orientadores::posicionar(qint64 rowid)
{
    create();
    return m_dm.Tb_Orientador->gotoBookmark(plat::db::Bookmark{{}, rowid});
}

void TFrm_Orientadores::Ed_OrientadorChange() { m_dm.Tb_Orientador->findNearest({Ed_Orientador->text()}); }

// Opens the entry form on the advisor cursor and gives the name it posted,
// empty when it posted nothing; the area it last chose is kept for the next
// form.
QString TFrm_Orientadores::openEntryForm(bool novo)
{
    using Modo = TFrm_Cad_Orientador::Modo;
    TFrm_Cad_Orientador form(m_dm, *m_sessao.VerificarCpfCgc, novo ? Modo::Novo : Modo::Editar, m_sessao.SubArea_Selecionada,
                             this);
    plat::ui::showModal(&form);
    m_sessao.SubArea_Selecionada = form.subArea();
    return form.nome();
}

void TFrm_Orientadores::BitBtn1Click()
{
    const QString nome = openEntryForm(true);
    if (!nome.isEmpty())
        m_chaveOrientador = nome;
    Table& t = *m_dm.Tb_Orientador;
    t.findKey({m_chaveOrientador});
    t.refresh();
}

void TFrm_Orientadores::BitBtn2Click()
{
    Table& t = *m_dm.Tb_Orientador;
    if (t.isEmpty() || !m_guard.currentUnchanged(this))
        return; // nothing to edit, or not what the list showed
    m_chaveOrientador = openEntryForm(false);
    t.refresh();
}

void TFrm_Orientadores::BitBtn3Click()
{
    Table& ori = *m_dm.Tb_Orientador;
    if (ori.isEmpty() || !m_guard.currentUnchanged(this))
        return; // nothing to delete, or not what the list showed
    const QString cpf = ori.field(QStringLiteral("CPF")).asString();
    const qint64 codigo = ori.field(QStringLiteral("CODIGO")).asInteger();

    // The holders of exactly this advisor record: its CPF and its number.
    Table& bol = *m_dm.Tb_Bolsistas;
    bol.open();
    bol.cancelRange();
    bol.setIndexName(QStringLiteral("Id_CpfOrientador"));
    bol.setRangeStart();
    bol.field(QStringLiteral("CPF_ORIENTADOR")).setAsString(cpf);
    bol.field(QStringLiteral("NUMERO_ORIENTADOR")).setAsInteger(codigo);
    bol.setRangeEnd();
    bol.field(QStringLiteral("CPF_ORIENTADOR")).setAsString(cpf);
    bol.field(QStringLiteral("NUMERO_ORIENTADOR")).setAsInteger(codigo);
    bol.applyRange();

    if (bol.isEmpty())
        deletePlain();
    else
        markForReassignment(cpf, codigo);
}

void TFrm_Orientadores::deletePlain()
{
    Table& bol = *m_dm.Tb_Bolsistas;
    if (plat::ui::confirm(advisorText::confirmDelete(), this)) {
        m_dm.Tb_Orientador->remove();
        m_dm.Tb_Orientador->refresh();
    }
    // The range served only this question.
    bol.cancelRange();
    if (!m_holdersWereOpen)
        bol.close();
}

void TFrm_Orientadores::markForReassignment(const QString& cpf, qint64 codigo)
{
    Table& ori = *m_dm.Tb_Orientador;
    Table& bol = *m_dm.Tb_Bolsistas;
    // The marks go in together or not at all. Marks left behind by a run that
    // ended inside a reassignment are cleared first, so that only this
    // advisor's holders are shown for reassignment.
    try {
        Database::Transaction tx(m_dm.database());
        m_dm.database().exec(QStringLiteral("UPDATE ZELTAORI SET ALTERA=' ' WHERE ALTERA='S'"));
        m_dm.database().exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA=' ', CPF_EXORIENTADOR=' ' WHERE ALTERA='S'"));
        ori.edit();
        ori.field(QStringLiteral("ALTERA")).setAsString(QStringLiteral("S"));
        ori.post();
        for (bol.first(); !bol.eof(); bol.next()) {
            bol.edit();
            bol.field(QStringLiteral("CPF_EXORIENTADOR")).setAsString(cpf);
            bol.field(QStringLiteral("ALTERA")).setAsString(QStringLiteral("S"));
            bol.post();
        }
        tx.commit();
    } catch (...) {
        // Rolled back: the cursors read their records again. The failure
        // reported is the one that rolled back, not a later one of rereading.
        for (Table* t : {&ori, &bol}) {
            try {
                t->cancel();
                t->refresh();
            } catch (const std::exception& e) {
                qWarning("rereading %s after a failed marking failed: %s", qPrintable(t->tableName()), e.what());
            } catch (...) {
                qWarning("rereading %s after a failed marking failed", qPrintable(t->tableName()));
            }
        }
        throw;
    }

    {
        TFrm_ExOrientador form(m_dm, cpf, codigo, this);
        plat::ui::showModal(&form);
    }
    bol.open();
    bol.cancelRange();
    bol.close();
    ori.setIndexFieldNames(QStringLiteral("Nome"));
    ori.refresh();
    DBGrid1->viewport()->update();
}

void TFrm_Orientadores::BitBtn4Click() { reject(); }

// Every advisor, in the list's name order.
void TFrm_Orientadores::BitBtnExportarClick() { exportarPlanilha(m_sessao, sheets::ExportList::Advisors, this); }

} // namespace zelta
