#include "app/windows/TZelta.h"

#include "app/windows/RegisterNotices.h"
#include "app/windows/TFrm_Sobre.h"
#include "app/windows/ToolbarIcons.h"
#include "app/windows/WindowCommands.h"
#include "data/TDm_Dados.h"
#include "platform/system/Error.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Help.h"
#include "platform/ui/Messages.h"
#include "platform/ui/ModalRunner.h"
#include "platform/ui/WindowChrome.h"
#include "validation/TVlCpfCgc.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace zelta {

namespace {

constexpr int kHelpTips = 12;

QLabel* textLabel(QWidget* parent, const QString& name, const QString& text, int pixels, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    label->setFont(font);
    // Data shown here comes from the tables: never read it as markup.
    label->setTextFormat(Qt::PlainText);
    label->setMinimumHeight(QFontMetrics(font).height());
    return label;
}

// Closes a cursor when the activation leaves its step, also on a failure, so
// that a damaged table does not stay half open behind the main window.
struct CloseAtExit {
    plat::db::Table* table;
    ~CloseAtExit() { table->close(); }
};

} // namespace

TZelta::TZelta(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Zelta"));
    VerificarCpfCgc = new TVlCpfCgc(this);
    VerificarCpfCgc->setObjectName(QStringLiteral("VerificarCpfCgc"));
    VerificarCpfCgc->loadStoredState();
    m_sessao.VerificarCpfCgc = VerificarCpfCgc;
    buildUi();
    registerWindowCommands(*this);
}

TZelta::~TZelta() = default;

void TZelta::setDataModule(TDm_Dados* dados)
{
    m_sessao.Dm_Dados = dados;
    if (!dados)
        return;
    connect(dados, &TDm_Dados::startCheckReported, this, &TZelta::reportStartCheck);
    dados->setWaitIndicator([](const std::function<void()>& wait) {
        plat::ui::BusyCursor busy;
        wait();
    });
}

void TZelta::reportStartCheck()
{
    TDm_Dados* dados = m_sessao.Dm_Dados;
    showRegisterNotices(*dados, this);
    if (const std::optional<plat::Error> failure = dados->takeStartCheckFailure())
        plat::ui::showError(failure->message(), this, failure->details());
}

void TZelta::buildUi()
{
    setWindowTitle(QStringLiteral("Zelta 99"));
    plat::ui::removeBorderIcons(this);
    setContextMenuPolicy(Qt::NoContextMenu); // no menu to hide the toolbar
    buildCentral();
    buildActions();
    buildMenus();
    buildToolBar();
    resize(1024, 768);
}

void TZelta::buildCentral()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Fundo"));
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    central->setPalette(pal);
    central->setAutoFillBackground(true);

    QLabel* orvu = textLabel(central, QStringLiteral("Label_Orvu"), QStringLiteral("Orvu"), 37, true);
    QLabel* agency1 = textLabel(central, QStringLiteral("Label_Quarvelin"), QStringLiteral("Quarvelin"), 15, false);
    QLabel* agency2 = textLabel(central, QStringLiteral("Label_Tessaline"), QStringLiteral("Tessaline"), 15, false);
    QLabel* title = textLabel(central, QStringLiteral("Label_Zelta"), QStringLiteral("Zelta 99"), 93, true);
    Label_Sigla = textLabel(central, QStringLiteral("Label_Sigla"), QString(), 15, false);
    Label_Instituicao = textLabel(central, QStringLiteral("Label_Instituicao"), QString(), 15, false);

    auto* agency = new QVBoxLayout;
    agency->setSpacing(0);
    agency->addStretch(1);
    agency->addWidget(agency1);
    agency->addWidget(agency2);
    agency->addStretch(1);

    auto* brand = new QHBoxLayout;
    brand->setSpacing(10);
    brand->addWidget(orvu);
    brand->addLayout(agency);
    brand->addStretch(1);

    auto* titleRow = new QHBoxLayout;
    titleRow->addStretch(1);
    titleRow->addWidget(title);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(24, 16, 32, 24);
    layout->setSpacing(4);
    layout->addLayout(brand);
    layout->addStretch(2);
    layout->addLayout(titleRow);
    layout->addSpacing(16);
    layout->addWidget(Label_Sigla);
    layout->addWidget(Label_Instituicao);
    layout->addStretch(3);
    setCentralWidget(central);
}

QAction* TZelta::addAction(const QString& text, const QString& name, void (TZelta::*handler)())
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setIconVisibleInMenu(false);
    connect(action, &QAction::triggered, this, plat::ui::guarded(this, handler));
    return action;
}

QAction* TZelta::addCommand(Command command, const QString& text, const QString& hint, const QString& name)
{
    static const QHash<Command, void (TZelta::*)()> handlers{
        {Command::Orientadores, &TZelta::CadastroOrientadoresClick},
        {Command::Bolsistas, &TZelta::CadastroBolsistasClick},
        {Command::Verificacao, &TZelta::VerificacaoPreenchimentoClick},
        {Command::GeraDisquete, &TZelta::GeraDisqueteClick},
        {Command::Recuperar, &TZelta::RecuperarDadosClick},
        {Command::Relatorios, &TZelta::RelatoriosConferenciaClick},
        {Command::Copias, &TZelta::CopiasSegurancaClick},
        {Command::ImportarPlanilha, &TZelta::ImportarPlanilhaClick},
    };
    QAction* action = addAction(text, name, handlers.value(command));
    action->setToolTip(hint);
    action->setEnabled(false); // until a window is registered for it
    m_commandActions.insert(command, action);
    return action;
}

void TZelta::buildActions()
{
    addCommand(Command::Orientadores, QStringLiteral("Cadastro de Orientadores"), QStringLiteral("Cadastro de Orientadores"),
               QStringLiteral("CadastroOrientadores"))
        ->setIcon(icons::advisors());
    addCommand(Command::Bolsistas, QStringLiteral("Cadastro de Bolsistas"), QStringLiteral("Cadastro de Bolsistas"),
               QStringLiteral("CadastroBolsistas"))
        ->setIcon(icons::holders());
    addCommand(Command::Verificacao, QStringLiteral("Verificação do Preenchimento"),
               QStringLiteral("Verificação do Preenchimento"), QStringLiteral("VerificacaoPreenchimento"))
        ->setIcon(icons::verification());
    addCommand(Command::GeraDisquete, QStringLiteral("Gera Disquete para o Orvu"), QStringLiteral("Gera Disquete para o Orvu"),
               QStringLiteral("GeraDisquete"))
        ->setIcon(icons::disk());
    addCommand(Command::Recuperar, QStringLiteral("Recuperar dados do Zelta 1999"),
               QStringLiteral("Recuperar dados do Zelta 1999"), QStringLiteral("RecuperarDados"));
    addCommand(Command::ImportarPlanilha, QStringLiteral("&Importar Planilha..."),
               QStringLiteral("Importar bolsistas ou orientadores de uma planilha"), QStringLiteral("ImportarPlanilha"));
    addCommand(Command::Copias, QStringLiteral("Cópias de Segurança..."), QStringLiteral("Cópias de Segurança"),
               QStringLiteral("CopiasSeguranca"));
    addCommand(Command::Relatorios, QStringLiteral("Imprime Relatórios de Conferência"),
               QStringLiteral("Imprime Relatórios de Conferência"), QStringLiteral("RelatoriosConferencia"))
        ->setIcon(icons::reports());

    m_sair = addAction(QStringLiteral("&Sair"), QStringLiteral("Sair"), &TZelta::SairClick);
    m_sair->setToolTip(QStringLiteral("Sair"));
    m_sair->setIcon(icons::exit());
    m_apresentacao = addAction(QStringLiteral("&Apresentação"), QStringLiteral("Apresentacao"), &TZelta::ApresentacaoClick);
    m_dicas = addAction(QStringLiteral("&Dicas e Procedimentos"), QStringLiteral("DicasProcedimentos"),
                        &TZelta::DicasProcedimentosClick);
    m_sobre = addAction(QStringLiteral("&Sobre"), QStringLiteral("Sobre"), &TZelta::SobreClick);
}

void TZelta::buildMenus()
{
    QMenu* arquivo = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    arquivo->setObjectName(QStringLiteral("MenuArquivo"));
    arquivo->addAction(m_commandActions.value(Command::Orientadores));
    arquivo->addAction(m_commandActions.value(Command::Bolsistas));
    arquivo->addSeparator();
    arquivo->addAction(m_commandActions.value(Command::Verificacao));
    arquivo->addAction(m_commandActions.value(Command::GeraDisquete));
    arquivo->addSeparator();
    arquivo->addAction(m_commandActions.value(Command::Recuperar));
    arquivo->addAction(m_commandActions.value(Command::ImportarPlanilha));
    arquivo->addAction(m_commandActions.value(Command::Copias));
    arquivo->addSeparator();
    arquivo->addAction(m_commandActions.value(Command::Relatorios));
    arquivo->addAction(m_sair);

    QMenu* ajuda = menuBar()->addMenu(QStringLiteral("Aj&uda"));
    ajuda->setObjectName(QStringLiteral("MenuAjuda"));
    ajuda->addAction(m_apresentacao);
    ajuda->addAction(m_dicas);
    ajuda->addSeparator();
    ajuda->addAction(m_sobre);
}

void TZelta::buildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Barra de ferramentas"));
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(24, 24));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->toggleViewAction()->setEnabled(false);
    bar->addAction(m_commandActions.value(Command::Orientadores));
    bar->addAction(m_commandActions.value(Command::Bolsistas));
    bar->addAction(m_commandActions.value(Command::Verificacao));
    bar->addAction(m_commandActions.value(Command::GeraDisquete));
    bar->addAction(m_commandActions.value(Command::Relatorios));
    bar->addAction(m_sair);
}

void TZelta::setLauncher(Command command, Launcher launcher)
{
    const bool enabled = bool(launcher);
    m_launchers.insert(command, std::move(launcher));
    if (QAction* action = m_commandActions.value(command))
        action->setEnabled(enabled);
}

void TZelta::runCommand(Command command)
{
    const Launcher launcher = m_launchers.value(command);
    if (launcher)
        launcher(m_sessao, this);
}

// ------------------------------------------------------------------ activation

void TZelta::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // The steps run from the event loop rather than inside the activation
    // event, since they may open the recovery window modally.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_activationDone && !m_activationQueued) {
        m_activationQueued = true;
        QTimer::singleShot(0, this, &TZelta::FormActivate);
    }
}

void TZelta::FormActivate()
{
    if (m_activationDone)
        return;
    m_activationDone = true;
    plat::ui::runGuarded([this] { activationSteps(); }, this);
}

void TZelta::activationSteps()
{
    // 1. The help document: beside the program, or where the search finds it.
    QString help = plat::ui::findHelpDocument();
    if (help.isEmpty())
        help = QDir(QCoreApplication::applicationDirPath()).filePath(plat::ui::helpDocumentName());
    plat::ui::setHelpFile(help);

    TDm_Dados* dados = m_sessao.Dm_Dados;
    if (!dados)
        throw plat::Error::internal(QStringLiteral("O módulo de dados não foi criado"));

    // 2-4. With no holder at all, offer last year's file before anything else.
    {
        // Closed in reverse order: the holders first, then the advisors,
        // which the recovery may have left open.
        CloseAtExit closeAdvisors{dados->Tb_Orientador};
        CloseAtExit closeHolders{dados->Tb_Bolsistas};
        dados->Tb_Bolsistas->open();
        // Opening checked the register; a repaired index is told here.
        showRegisterNotices(*dados, this);
        // The full check: at once on a small register, in the background on
        // a large one, with writes waiting for it; it reports through
        // reportStartCheck().
        dados->startCheck(m_backgroundCheckRows < 0 ? TDm_Dados::kBackgroundCheckRows : m_backgroundCheckRows);
        if (dados->Tb_Bolsistas->eof())
            runCommand(Command::Recuperar);
    }

    // 5. The institution, as the recovery may just have written it.
    refreshInstitution();
}

void TZelta::refreshInstitution()
{
    TDm_Dados* dados = m_sessao.Dm_Dados;
    if (!dados)
        return;
    CloseAtExit closeInstitution{dados->Tb_Instituicao};
    plat::db::Table& inst = *dados->Tb_Instituicao;
    inst.open();
    inst.first();
    const bool any = inst.hasRecord();
    Label_Sigla->setText(any ? inst.field(QStringLiteral("Sigla")).asString() : QString());
    Label_Instituicao->setText(any ? inst.field(QStringLiteral("Nome")).asString() : QString());
}

// -------------------------------------------------------------------- commands

void TZelta::CadastroOrientadoresClick() { runCommand(Command::Orientadores); }
void TZelta::CadastroBolsistasClick() { runCommand(Command::Bolsistas); }
void TZelta::VerificacaoPreenchimentoClick() { runCommand(Command::Verificacao); }
void TZelta::GeraDisqueteClick() { runCommand(Command::GeraDisquete); }
void TZelta::RecuperarDadosClick() { runCommand(Command::Recuperar); }
void TZelta::RelatoriosConferenciaClick() { runCommand(Command::Relatorios); }
void TZelta::CopiasSegurancaClick() { runCommand(Command::Copias); }
void TZelta::ImportarPlanilhaClick() { runCommand(Command::ImportarPlanilha); }

void TZelta::SairClick()
{
    m_closing = true;
    close();
    m_closing = false;
}

void TZelta::ApresentacaoClick() { plat::ui::showHelpContents(this); }

void TZelta::DicasProcedimentosClick() { plat::ui::showHelpTopic(kHelpTips, this); }

void TZelta::SobreClick()
{
    TFrm_Sobre sobre(this);
    plat::ui::showModal(&sobre);
}

void TZelta::closeEvent(QCloseEvent* event)
{
    // The window manager's close does nothing: only "Sair" ends the program.
    if (m_closing)
        event->accept();
    else
        event->ignore();
}

} // namespace zelta
