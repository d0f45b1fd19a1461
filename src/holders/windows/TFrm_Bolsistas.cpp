#include "holders/windows/TFrm_Bolsistas.h"

#include "data/TDm_Dados.h"
#include "exchange/windows/ExportarPlanilha.h"
#include "holders/HolderRules.h"
#include "holders/windows/TFrm_Cad_Bolsistas.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MaskEdit.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/WindowChrome.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace zelta {

using plat::db::Query;
using plat::db::Table;

namespace {

// A read-only counter box: bold figures in the given colour, right-aligned.
QLineEdit* counterBox(QWidget* parent, const QString& name, const QColor& colour)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignRight);
    QPalette p = box->palette();
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    box->setPalette(p);
    QFont f = box->font();
    f.setBold(true);
    box->setFont(f);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
    return box;
}

// Writes a new situation into the current holder; a failed post leaves the
// record as it was stored.
void setSituacao(Table& bol, const QString& word)
{
    bol.edit();
    try {
        bol.field(QStringLiteral("SITUACAO")).setAsString(word);
        bol.post();
    } catch (...) {
        bol.cancel(); // rethrown: the failure is reported by the handler
        throw;
    }
}

int countOf(Query& q, const QString& field)
{
    q.close();
    q.open();
    const int n = int(q.field(field).asInteger());
    q.close();
    return n;
}

} // namespace

TFrm_Bolsistas::TFrm_Bolsistas(Sessao& sessao, QWidget* parent)
    : Form(parent), m_sessao(sessao), m_dm(*sessao.Dm_Dados), m_guard(*m_dm.Tb_Bolsistas)
{
    setObjectName(QStringLiteral("Frm_Bolsistas"));
    setWindowTitle(QStringLiteral("Cadastro de Bolsistas"));
    buildUi();
    wireEvents();
    plat::ui::setNoBorderIcons(this);
    resize(640, 560);
}

// A window dropped without closing still gives its cursor back.
TFrm_Bolsistas::~TFrm_Bolsistas() { closeOnDestroy(); }

QGroupBox* TFrm_Bolsistas::buildCounters()
{
    Panel_TotalRn = counterBox(this, QStringLiteral("Panel_TotalRn"), Qt::blue);
    Panel_TotalNv = counterBox(this, QStringLiteral("Panel_TotalNv"), Qt::darkGreen);
    Panel_TotalRn_Nv = counterBox(this, QStringLiteral("Panel_TotalRn_Nv"), QColor(0, 0, 128));
    Panel_TotalEX = counterBox(this, QStringLiteral("Panel_TotalEX"), Qt::red);
    Panel_TotalBolsistas = counterBox(this, QStringLiteral("Panel_TotalBolsistas"), QColor(0, 0, 128));

    auto* counters = new QGroupBox(this);
    auto* grid = new QGridLayout(counters);
    auto addCounter = [&](int row, int column, const QString& caption, QLineEdit* box) {
        auto* label = new QLabel(caption, counters);
        label->setBuddy(box);
        grid->addWidget(label, row, column * 2);
        grid->addWidget(box, row, column * 2 + 1);
    };
    addCounter(0, 0, QStringLiteral("RN - Bolsistas renovados "), Panel_TotalRn);
    addCounter(1, 0, QStringLiteral("NV - Bolsistas novos"), Panel_TotalNv);
    addCounter(2, 0, QStringLiteral("Total de RN + NV"), Panel_TotalRn_Nv);
    addCounter(0, 1, QStringLiteral("EX - Bolsistas excluídos"), Panel_TotalEX);
    addCounter(2, 1, QStringLiteral("Total de Cotas"), Panel_TotalBolsistas);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(2, 120);
    grid->setColumnStretch(3, 1);
    return counters;
}

void TFrm_Bolsistas::buildUi()
{
    BitBtnNovo = plat::ui::pictureButton(this, QStringLiteral("BitBtnNovo"), QStringLiteral("Novo"), QStyle::SP_FileIcon);
    BitBtnEditar = plat::ui::pictureButton(this, QStringLiteral("BitBtnEditar"), QStringLiteral("Editar"),
                                           QStyle::SP_FileDialogContentsView);
    BitBtnExcluir = plat::ui::pictureButton(this, QStringLiteral("BitBtnExcluir"), QStringLiteral("Excluir"),
                                            QStyle::SP_TrashIcon);
    BitBtnRenovar = plat::ui::pictureButton(this, QStringLiteral("BitBtnRenovar"), QStringLiteral("Renovar"),
                                            QStyle::SP_BrowserReload);
    BitBtnSair = plat::ui::pictureButton(this, QStringLiteral("BitBtnSair"), QStringLiteral("Sair"),
                                         QStyle::SP_DialogCloseButton);
    BitBtnExportar = plat::ui::pictureButton(this, QStringLiteral("BitBtnExportar"), QStringLiteral("Exportar Planilha..."),
                                             QStyle::SP_DialogSaveButton);
    QHBoxLayout* bar = plat::ui::buttonBar({BitBtnNovo, BitBtnEditar, BitBtnExcluir, BitBtnRenovar, BitBtnExportar}, BitBtnSair);

    const auto [search, edit] = plat::ui::searchBox(this, QStringLiteral("Consulta por bolsista"),
                                                    QStringLiteral("Ed_Bolsistas"));
    Ed_Bolsistas = edit;

    DBGrid1 = new plat::ui::DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns(QList<plat::ui::GridColumn>{{QStringLiteral("CPF"), QString(), 0},
                                                    {QStringLiteral("Nome"), QStringLiteral("NOME"), 44},
                                                    {QStringLiteral("SITUACAO"), QString(), 0}});
    DBGrid1->setDataSource(m_dm.Ds_Bolsistas);

    QGroupBox* counters = buildCounters();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(search);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(counters);
    setTabOrder(Ed_Bolsistas, DBGrid1);
    Ed_Bolsistas->setFocus(); // the list opens ready for a name
}

void TFrm_Bolsistas::wireEvents()
{
    using plat::ui::guarded;
    connect(Ed_Bolsistas, &QLineEdit::textChanged, this, guarded(this, &TFrm_Bolsistas::Ed_BolsistasChange));
    connect(BitBtnNovo, &QToolButton::clicked, this, guarded(this, &TFrm_Bolsistas::BitBtnNovoClick));
    connect(BitBtnEditar, &QToolButton::clicked, this, guarded(this, &TFrm_Bolsistas::BitBtnEditarClick));
    connect(BitBtnExcluir, &QToolButton::clicked, this, guarded(this, &TFrm_Bolsistas::BitBtnExcluirClick));
    connect(BitBtnRenovar, &QToolButton::clicked, this, guarded(this, &TFrm_Bolsistas::BitBtnRenovarClick));
    connect(BitBtnSair, &QToolButton::clicked, this, guarded(this, &TFrm_Bolsistas::BitBtnSairClick));
    connect(BitBtnExportar, &QToolButton::clicked, this, guarded(this, &TFrm_Bolsistas::BitBtnExportarClick));
}

bool TFrm_Bolsistas::listEmpty() const
{
    const Table& t = *m_dm.Tb_Bolsistas;
    return !t.isOpen() || !t.hasRecord();
}

// ------------------------------------------------------------------ handlers

void TFrm_Bolsistas::FormCreate()
{
    // The quota is read once: the institution does not change while the list is open.
    Table& inst = *m_dm.Tb_Instituicao;
    inst.open();
    Panel_TotalBolsistas->setText(inst.hasRecord() && !inst.field(QStringLiteral("Cotas")).isNull()
                                      ? cotasText(inst.field(QStringLiteral("Cotas")).asFloat())
                                      : QString());
    inst.close();

    Table& bol = *m_dm.Tb_Bolsistas;
    bol.close();
    bol.setIndexFieldNames(QStringLiteral("Nome"));
    bol.open();
    bol.first();
    m_guard.seen();
    AtualizaTotais();
}

void TFrm_Bolsistas::FormClose() { m_dm.Tb_Bolsistas->close(); }

void TFrm_Bolsistas::AtualizaTotais()
{
    const int renovados = countOf(*m_dm.Qr_TotalRenovado, QStringLiteral("TotalRenovado"));
    const int novos = countOf(*m_dm.Qr_TotalNovo, QStringLiteral("TotalNovo"));
    const int excluidos = countOf(*m_dm.Qr_TotalExcluido, QStringLiteral("TotalExcluido"));
    Panel_TotalRn->setText(QString::number(renovados));
    Panel_TotalNv->setText(QString::number(novos));
    Panel_TotalEX->setText(QString::number(excluidos));
    Panel_TotalRn_Nv->setText(QString::number(renovados + novos));
}

void TFrm_Bolsistas::Ed_BolsistasChange() { m_dm.Tb_Bolsistas->findNearest({Ed_Bolsistas->text()}); }

void TFrm_Bolsistas::BitBtnNovoClick()
{
    if (quotaFull(Panel_TotalRn_Nv->text(), Panel_TotalBolsistas->text())) {
        plat::ui::showMessage(holderText::quotaFullNovo(), this);
        return;
    }
    {
        TFrm_Cad_Bolsistas form(m_dm, *m_sessao.VerificarCpfCgc, TFrm_Cad_Bolsistas::Modo::Novo, this);
        plat::ui::showModal(&form);
        if (!form.ultimoBolsista().isEmpty())
            m_ultimoBolsista = form.ultimoBolsista();
    }
    AtualizaTotais();
    Table& bol = *m_dm.Tb_Bolsistas;
    bol.findKey({m_ultimoBolsista});
    bol.refresh();
}

void TFrm_Bolsistas::BitBtnEditarClick()
{
    if (listEmpty())
        return;
    if (!m_guard.currentUnchanged(this)) {
        AtualizaTotais();
        return;
    }
    Table& bol = *m_dm.Tb_Bolsistas;
    TFrm_Cad_Bolsistas::editar(m_dm, *m_sessao.VerificarCpfCgc, this);
    bol.refresh();
    if (bol.hasRecord())
        m_ultimoBolsista = bol.field(QStringLiteral("Nome")).asString();
    AtualizaTotais();
}

void TFrm_Bolsistas::BitBtnExcluirClick()
{
    if (listEmpty())
        return;
    if (!m_guard.currentUnchanged(this)) {
        AtualizaTotais();
        return;
    }
    Table& bol = *m_dm.Tb_Bolsistas;
    const QString sit = bol.field(QStringLiteral("SITUACAO")).asString();
    if (sit == situacao::novo) {
        if (plat::ui::confirm(holderText::confirmDeleteNovo(), this)) {
            bol.remove();
            if (bol.hasRecord())
                m_ultimoBolsista = bol.field(QStringLiteral("Nome")).asString();
        }
    } else if (sit == situacao::renovado) {
        if (plat::ui::confirm(holderText::confirmDeleteRenovado(), this)) {
            setSituacao(bol, situacao::excluido);
        }
    }
    AtualizaTotais();
}

void TFrm_Bolsistas::BitBtnRenovarClick()
{
    if (listEmpty())
        return;
    if (!m_guard.currentUnchanged(this)) {
        AtualizaTotais();
        return;
    }
    if (quotaFull(Panel_TotalRn_Nv->text(), Panel_TotalBolsistas->text())) {
        plat::ui::showMessage(holderText::quotaFullRenovar(), this);
        return;
    }
    Table& bol = *m_dm.Tb_Bolsistas;
    if (bol.field(QStringLiteral("SITUACAO")).asString() == situacao::excluido) {
        setSituacao(bol, situacao::renovado);
    }
    AtualizaTotais();
}

void TFrm_Bolsistas::BitBtnSairClick() { reject(); }

// The whole register's holders, in the list's name order.
void TFrm_Bolsistas::BitBtnExportarClick() { exportarPlanilha(m_sessao, sheets::ExportList::Holders, this); }

} // namespace zelta
