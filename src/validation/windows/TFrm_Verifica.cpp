#include "validation/windows/TFrm_Verifica.h"

#include "app/windows/RegisterNotices.h"
#include "data/TDm_Dados.h"
#include "platform/db/Table.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/PreviewWindow.h"
#include "platform/ui/WindowChrome.h"
#include "platform/ui/WindowPlacement.h"
#include "validation/TFrm_Relatorio_Erro.h"
#include "validation/TVlCpfCgc.h"
#include "validation/Verificacao.h"
#include "validation/windows/PendenciasView.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

#include <algorithm>

namespace zelta {

TFrm_Verifica::TFrm_Verifica(Sessao& sessao, QWidget* parent) : Form(parent), m_sessao(sessao)
{
    setObjectName(QStringLiteral("Frm_Verifica"));
    setWindowTitle(QStringLiteral("Verificação de Preenchimento"));
    buildUi();
    wireEvents();
    plat::ui::setNoBorderIcons(this);
}

// A window destroyed without being closed still lets the table go.
TFrm_Verifica::~TFrm_Verifica() { closeOnDestroy(); }

void TFrm_Verifica::buildLog()
{
    MemoLog = new QPlainTextEdit(this);
    MemoLog->setObjectName(QStringLiteral("MemoLog"));
    MemoLog->setReadOnly(true);
    // The lines as stored and printed, already wrapped at 50 characters: the
    // box wraps none of its own, and is wide enough for 50 capitals.
    MemoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoLog->setFocusPolicy(Qt::ClickFocus); // not reached with Tab
    MemoLog->setMinimumSize(std::max(440, MemoLog->fontMetrics().horizontalAdvance(QString(50, u'X')) + 40), 320);
}

void TFrm_Verifica::buildUi()
{
    buildLog();

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMaximumHeight(10);

    BitBtnVerificar = plat::ui::namedButton(this, QStringLiteral("Verificar"), QStringLiteral("BitBtnVerificar"));
    BitBtnImprimir = plat::ui::namedButton(this, QStringLiteral("Imprimir"), QStringLiteral("BitBtnImprimir"));
    BitBtnImprimir->setEnabled(false);
    BitBtnSair = plat::ui::namedButton(this, QStringLiteral("Sair"), QStringLiteral("BitBtnSair"));
    for (QPushButton* b : {BitBtnVerificar, BitBtnImprimir, BitBtnSair})
        b->setAutoDefault(false);

    Pendencias = new PendenciasView(m_sessao, false, this);

    auto* panes = new QHBoxLayout;
    panes->setSpacing(10);
    // The log keeps its width (its lines are at most 50 characters); the list
    // takes the rest.
    panes->addWidget(MemoLog, 0);
    panes->addWidget(Pendencias, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addLayout(panes, 1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(plat::ui::centredButtons({BitBtnVerificar, BitBtnImprimir, BitBtnSair}));
    resize(1080, 460);
}

void TFrm_Verifica::wireEvents()
{
    connect(BitBtnVerificar, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_Verifica::BitBtnVerificarClick));
    connect(BitBtnImprimir, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_Verifica::BitBtnImprimirClick));
    connect(BitBtnSair, &QPushButton::clicked, this, plat::ui::guarded(this, &TFrm_Verifica::BitBtnSairClick));
}

void TFrm_Verifica::flushLog()
{
    if (m_pending.isEmpty())
        return;
    MemoLog->appendPlainText(m_pending.join(u'\n'));
    m_pending.clear();
}

void TFrm_Verifica::BitBtnVerificarClick()
{
    BitBtnImprimir->setEnabled(false);
    checkRegisterBeforeUse(*m_sessao.Dm_Dados, this);

    Verificacao verificacao(*m_sessao.Dm_Dados, *m_sessao.VerificarCpfCgc);
    m_pending.clear();
    // Each line as the error table stores it and the report prints it.
    verificacao.setLogSink([this](const QString& line) { m_pending << linhasArmazenadas({line}); });
    // The run holds the user-interface thread; the log box and the bar are
    // repainted as the work advances.
    verificacao.setProgressSink([this](int done, int total) {
        ProgressBar1->setValue(total > 0 ? int(qint64(done) * 100 / total) : 0);
        flushLog();
        ProgressBar1->repaint();
        MemoLog->viewport()->repaint();
    });

    verificacao.prepareErrorTable();
    // The log box keeps every line written, also when the run ends in an error.
    const auto showPending = qScopeGuard([this] { flushLog(); });
    {
        // The normal cursor comes back however the run ends, an error included.
        plat::ui::BusyCursor busy;
        MemoLog->clear();
        Pendencias->limpar();
        ProgressBar1->setValue(0);
        verificacao.start();
        verificacao.checkHolders();
        verificacao.checkAdvisors();
    }
    const int errors = verificacao.finish();
    const QPoint centre = frameGeometry().center();
    Pendencias->setLista(verificacao.pendencias());
    // Room for the list's columns: the window grows about its centre, within
    // the screen, the log keeping its width.
    if (const int missing = Pendencias->sizeHint().width() - Pendencias->width(); missing > 0 && isVisible())
        plat::ui::resizeKeepingCentre(this, size() + QSize(missing, 0), centre);
    ProgressBar1->setValue(100);
    BitBtnImprimir->setEnabled(errors > 0);
    verificacao.closeTables();
}

void TFrm_Verifica::BitBtnImprimirClick()
{
    // A new report object for each request, over the error table as the last
    // run left it.
    plat::db::Table& erros = *m_sessao.Dm_Dados->Tb_Erro_Bol_Ori;
    erros.open();
    TFrm_Relatorio_Erro report(erros);
    plat::ui::showPreview(report, this);
}

void TFrm_Verifica::BitBtnSairClick() { accept(); }

void TFrm_Verifica::FormClose() { m_sessao.Dm_Dados->Tb_Erro_Bol_Ori->close(); }

} // namespace zelta
