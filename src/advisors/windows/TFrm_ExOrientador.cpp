#include "advisors/windows/TFrm_ExOrientador.h"

#include "advisors/AdvisorReassignment.h"
#include "data/TDm_Dados.h"
#include "platform/system/Error.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MaskEdit.h"
#include "platform/ui/Messages.h"
#include "platform/ui/PictureButton.h"
#include "platform/ui/WindowChrome.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtDebug>

namespace zelta {

using plat::Error;
using plat::db::Query;
using plat::db::Table;
using plat::ui::GridColumn;

namespace {

// Runs fn on each holder record that the current row of the reassignment
// stands for: the marked holders with the row's CPF, name and advisor pick.
// Holders that share a CPF (last year's file may carry such) are each reached
// this way, not only the first of them. Returns how many there were.
template <typename F>
int forEachHolderOfRow(Table& bol, Query& rows, F&& fn)
{
    const QString cpf = rows.field(QStringLiteral("Cpf")).asString();
    const QString nome = rows.field(QStringLiteral("Nome")).asString();
    const QString picked = rows.field(QStringLiteral("CPF_EXORIENTADOR")).asString();
    bol.setIndexName(QStringLiteral("Id_Bolsista_Cpf"));
    bol.setRange({cpf}, {cpf});
    int count = 0;
    for (bol.first(); !bol.eof(); bol.next()) {
        if (bol.field(QStringLiteral("ALTERA")).asString() != u"S" || bol.field(QStringLiteral("Nome")).asString() != nome
            || bol.field(QStringLiteral("CPF_EXORIENTADOR")).asString() != picked)
            continue;
        fn();
        ++count;
    }
    bol.cancelRange();
    if (count == 0)
        throw Error::database(QStringLiteral("O bolsista de CPF %1 não foi encontrado").arg(cpf));
    return count;
}

QLabel* instruction(QWidget* parent, const QString& name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

TFrm_ExOrientador::TFrm_ExOrientador(TDm_Dados& dados, const QString& cpfExcluido, qint64 codigoExcluido, QWidget* parent)
    : Form(parent), m_dm(dados), m_cpfExcluido(cpfExcluido), m_codigoExcluido(codigoExcluido)
{
    setObjectName(QStringLiteral("Frm_ExOrientador"));
    setWindowTitle(QStringLiteral("Exclusão do orientador"));
    buildUi();
    wireEvents();
    plat::ui::setNoBorderIcons(this); // the changes made are dropped only by "Cancelar"
    resize(800, 566);
    setWindowState(windowState() | Qt::WindowMaximized);
}

TFrm_ExOrientador::~TFrm_ExOrientador() { closeOnDestroy(); }

QWidget* TFrm_ExOrientador::buildHolders()
{
    auto* holders = new QGroupBox(QStringLiteral("Bolsistas"), this);
    DBGrid1 = new plat::ui::DBGrid(holders);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns(QList<GridColumn>{{QStringLiteral("Nome"), QStringLiteral("Bolsistas"), 29},
                                          {QStringLiteral("NOME_1"), QStringLiteral("Orientador"), 42}});
    DBGrid1->setDataSource(m_dm.Ds_QrBolsistas);
    BitBtn1 = plat::ui::pictureButton(holders, QStringLiteral("BitBtn1"), QStringLiteral("Altera o Orientador "),
                                      QStyle::SP_BrowserReload, false);
    auto* holdersLayout = new QVBoxLayout(holders);
    holdersLayout->addWidget(DBGrid1, 1);
    holdersLayout->addWidget(BitBtn1, 0, Qt::AlignLeft);
    return holders;
}

QWidget* TFrm_ExOrientador::buildAdvisors()
{
    auto* advisors = new QGroupBox(QStringLiteral("Orientadores"), this);
    const auto [search, edit] = plat::ui::searchBox(advisors, QStringLiteral("Consulta Por Orientador"),
                                                    QStringLiteral("EdOrientador"));
    EdOrientador = edit;

    DBGrid2 = new plat::ui::DBGrid(advisors);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    QList<GridColumn> columns{{QStringLiteral("CPF"), {}, 0}, {QStringLiteral("NOME"), {}, 0}};
    for (const char* f :
         {"Codigo", "TITULACAO", "TITULO", "P_CHAVE1", "P_CHAVE2", "P_CHAVE3", "COD_AREA", "PESQUISADOR", "CATEGORIA", "ALTERA"})
        columns.append(GridColumn{QString::fromLatin1(f), {}, 0});
    columns[4].width = 60; // the title is read in the memo below
    DBGrid2->setColumns(columns);
    DBGrid2->setDataSource(m_dm.Ds_Orientador);

    const auto [title, memo] = plat::ui::readOnlyMemoBox(QStringLiteral("Titulo do Projeto"), m_dm.Ds_Orientador,
                                                         QStringLiteral("TITULO"), 3, Qt::ClickFocus, advisors);
    DBMemo1 = memo;
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    QPalette grey = DBMemo1->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    DBMemo1->setPalette(grey);

    auto* advisorsLayout = new QVBoxLayout(advisors);
    advisorsLayout->addWidget(search);
    advisorsLayout->addWidget(DBGrid2, 1);
    advisorsLayout->addWidget(title);
    return advisors;
}

QWidget* TFrm_ExOrientador::buildInstructions()
{
    BitBtn2 = plat::ui::pictureButton(this, QStringLiteral("BitBtn2"), QStringLiteral("Confirma"), QStyle::SP_DialogApplyButton,
                                      false);
    BitBtn3 = plat::ui::pictureButton(this, QStringLiteral("BitBtn3"), QStringLiteral("Cancelar"), QStyle::SP_DialogCancelButton,
                                      false);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Label1 = instruction(panel, QStringLiteral("Label1"),
                         QStringLiteral("Para excluir o Orientador, execute os seguintes instruções:"));
    Label2 = instruction(panel, QStringLiteral("Label2"),
                         QStringLiteral(
                             ". Informe o novo Orientador   (Consulta por Orientador) ou clicar no Orientador (Nome)"));
    Label3 = instruction(panel, QStringLiteral("Label3"),
                         QStringLiteral(". Clicar no botão (Altera o Orientador) para a atualização do mesmo"));
    Label4 = instruction(panel, QStringLiteral("Label4"), QStringLiteral(". Clicar no botão (Confirma)."));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    auto* labels = new QVBoxLayout;
    labels->setSpacing(2);
    for (QLabel* l : {Label1, Label2, Label3, Label4})
        labels->addWidget(l);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn3);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->addLayout(labels, 1);
    panelLayout->addLayout(buttons);
    return panel;
}

void TFrm_ExOrientador::buildUi()
{
    QWidget* holders = buildHolders();
    QWidget* advisors = buildAdvisors();
    QWidget* panel = buildInstructions();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(holders, 2);
    layout->addWidget(advisors, 3);
    layout->addWidget(panel);
    plat::ui::tabChain({DBGrid1, BitBtn1, EdOrientador, DBGrid2, BitBtn2, BitBtn3});
}

void TFrm_ExOrientador::wireEvents()
{
    using plat::ui::guarded;
    connect(EdOrientador, &QLineEdit::textChanged, this, guarded(this, &TFrm_ExOrientador::EdOrientadorChange));
    connect(BitBtn1, &QToolButton::clicked, this, guarded(this, &TFrm_ExOrientador::BitBtn1Click));
    connect(BitBtn2, &QToolButton::clicked, this, guarded(this, &TFrm_ExOrientador::BitBtn2Click));
    connect(BitBtn3, &QToolButton::clicked, this, guarded(this, &TFrm_ExOrientador::BitBtn3Click));
}

// ------------------------------------------------------------------ handlers

void TFrm_ExOrientador::FormCreate()
{
    m_dm.Qr_Bolsistas->close();
    m_dm.Qr_Bolsistas->open();
    m_dm.Tb_Orientador->open();
}

void TFrm_ExOrientador::EdOrientadorChange() { m_dm.Tb_Orientador->findNearest({EdOrientador->text()}); }

void TFrm_ExOrientador::BitBtn1Click()
{
    Query& rows = *m_dm.Qr_Bolsistas;
    Table& ori = *m_dm.Tb_Orientador;
    if (rows.isEmpty() || !ori.hasRecord())
        return;
    const QString holderCpf = rows.field(QStringLiteral("Cpf")).asString();

    // The picked advisor stays in the query's join.
    ori.edit();
    ori.field(QStringLiteral("ALTERA")).setAsString(QStringLiteral("S"));
    ori.post();
    const QString pickedCpf = ori.field(QStringLiteral("CPF")).asString();
    const qint64 pickedCodigo = ori.field(QStringLiteral("CODIGO")).asInteger();

    Table& bol = *m_dm.Tb_Bolsistas;
    bol.open();
    forEachHolderOfRow(bol, rows, [&] {
        bol.edit();
        bol.field(QStringLiteral("CPF_EXORIENTADOR")).setAsString(pickedCpf);
        bol.post();
    });
    bol.close();
    m_picked.insert(holderCpf, pickedCodigo);

    rows.close();
    rows.open();
    DBGrid1->viewport()->update();
}

void TFrm_ExOrientador::BitBtn2Click()
{
    Query& rows = *m_dm.Qr_Bolsistas;
    for (rows.first(); !rows.eof(); rows.next()) {
        if (rows.field(QStringLiteral("CPF_EXORIENTADOR")).asString()
            == rows.field(QStringLiteral("CPF_ORIENTADOR")).asString()) {
            plat::ui::showMessage(QStringLiteral("Favor alterar o orientador"), this);
            return;
        }
    }
    try {
        reassignHoldersAndDeleteAdvisor(m_dm.database(), m_cpfExcluido, m_codigoExcluido, m_picked);
    } catch (...) {
        rereadAfterFailure();
        throw;
    }
    m_dm.Tb_Orientador->refresh();
    m_dm.Tb_Orientador->first();
    accept();
}

void TFrm_ExOrientador::rereadAfterFailure()
{
    // The transaction was rolled back: the cursors read their records again.
    // The failure reported is the one that rolled back; one of rereading is
    // only logged.
    const auto logged = [](const char* what, const std::function<void()>& step) {
        try {
            step();
        } catch (const std::exception& e) {
            qWarning("%s after a failed reassignment failed: %s", what, e.what());
        } catch (...) {
            qWarning("%s after a failed reassignment failed", what);
        }
    };
    for (Table* t : {m_dm.Tb_Orientador, m_dm.Tb_Bolsistas}) {
        logged("rereading a cursor", [t] {
            if (t->isOpen()) {
                t->cancel();
                t->refresh();
            }
        });
    }
    logged("rereading the holders to reassign", [this] {
        m_dm.Tb_Orientador->setIndexFieldNames(QStringLiteral("NOME"));
        m_dm.Qr_Bolsistas->close();
        m_dm.Qr_Bolsistas->open();
    });
}

void TFrm_ExOrientador::BitBtn3Click() { reject(); }

void TFrm_ExOrientador::FormClose()
{
    clearReassignmentMarks(m_dm.database());
    m_dm.Qr_Bolsistas->close();
}

} // namespace zelta
