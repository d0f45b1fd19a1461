#pragma once

#include "app/windows/Sessao.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace zelta {

class TDm_Dados;
class TVlCpfCgc;

// The main window: the institution's acronym and name, the menu and toolbar
// that open every other window, the one CPF/CGC validator, and the session the
// windows share. On its first activation it offers the recovery of last year's
// file when there are no holders, then shows the institution. It closes only
// through "Sair".
class TZelta : public QMainWindow {
    Q_OBJECT
public:
    // The commands that open other windows. A launcher opens its window on the
    // session, owned by the given parent (this window).
    enum class Command { Orientadores, Bolsistas, Verificacao, GeraDisquete, Recuperar, Relatorios, Copias, ImportarPlanilha };
    using Launcher = std::function<void(Sessao&, QWidget* parent)>;

    explicit TZelta(QWidget* parent = nullptr);
    ~TZelta() override;

    // Start-up creates the data module after this window and hands it over
    // here; its start check reports to this window.
    void setDataModule(TDm_Dados* dados);
    // Registers with more rows than this are checked in the background at
    // the first activation (the data module's default unless set).
    void setBackgroundCheckRows(int rows) { m_backgroundCheckRows = rows; }
    Sessao& sessao() { return m_sessao; }

    // Gives a command the window it opens, and enables its menu entry and
    // toolbar button; an empty launcher disables them again. The launcher of
    // Recuperar is also the one the first activation runs on an empty holder
    // table.
    void setLauncher(Command command, Launcher launcher);
    bool hasLauncher(Command command) const { return bool(m_launchers.value(command)); }
    QAction* commandAction(Command command) const { return m_commandActions.value(command); }

    // The steps of the first activation; later calls do nothing.
    void FormActivate();
    bool activationDone() const { return m_activationDone; }

    // Shows the institution's acronym and name as ZELTAINT holds them now
    // (after the first activation, and after a recovery or a restore changed
    // the register).
    void refreshInstitution();

    // Command handlers (menu entries and toolbar buttons).
    void CadastroOrientadoresClick();
    void CadastroBolsistasClick();
    void VerificacaoPreenchimentoClick();
    void GeraDisqueteClick();
    void RecuperarDadosClick();
    void RelatoriosConferenciaClick();
    void CopiasSegurancaClick();
    void ImportarPlanilhaClick();
    void SairClick();
    void ApresentacaoClick();
    void DicasProcedimentosClick();
    void SobreClick();

    TVlCpfCgc* VerificarCpfCgc = nullptr;
    QLabel* Label_Sigla = nullptr;
    QLabel* Label_Instituicao = nullptr;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildUi();
    void buildCentral();
    void buildActions();
    void buildMenus();
    void buildToolBar();
    void activationSteps();
    // The start check's notices and refusal, shown as soon as it reports.
    void reportStartCheck();
    void runCommand(Command command);
    QAction* addCommand(Command command, const QString& text, const QString& hint, const QString& name);
    QAction* addAction(const QString& text, const QString& name, void (TZelta::*handler)());

    Sessao m_sessao;
    QHash<Command, Launcher> m_launchers;
    QHash<Command, QAction*> m_commandActions;
    QAction* m_sair = nullptr;
    QAction* m_apresentacao = nullptr;
    QAction* m_dicas = nullptr;
    QAction* m_sobre = nullptr;
    bool m_activationDone = false;
    bool m_activationQueued = false;
    bool m_closing = false;
    int m_backgroundCheckRows = -1; // -1: the data module's default
};

} // namespace zelta
