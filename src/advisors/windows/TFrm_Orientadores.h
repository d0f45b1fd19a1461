#pragma once

#include "app/windows/AppContext.h"

#include <QDialog>
#include <QString>

class QToolButton;

namespace plat::ui {
class DBGrid;
class DBMemo;
class MaskEdit;
} // namespace plat::ui

namespace zelta {

class TDm_Dados;

// Values that live for the whole run and pass between the advisor windows.
extern bool Novo_Orientador;       // the entry form enters a new advisor
extern QString Chave_Orientador;   // where the list goes after "Novo"
extern QString Cpf_Excluido;       // CPF of the advisor being deleted
extern qint64 Codigo_Excluido;     // and its record number, which tells it from
                                   // other records of the same person

// The advisor list: every advisor in name order with search as you type, the
// project title of the selected one, and the commands that add, edit and
// delete advisors. An advisor who still has holders is not deleted here: the
// holders and the advisor are marked and the reassignment window opens.
class TFrm_Orientadores : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Orientadores(AppContext& ctx, QWidget* parent = nullptr);
    ~TFrm_Orientadores() override;

    void done(int result) override;

    // Event handlers.
    void FormCreate();
    void FormClose();
    void Ed_OrientadorChange();
    void BitBtn1Click();   // Novo
    void BitBtn2Click();   // Editar
    void BitBtn3Click();   // Excluir
    void BitBtn4Click();   // Sair

    QToolButton* BitBtn1 = nullptr;
    QToolButton* BitBtn2 = nullptr;
    QToolButton* BitBtn3 = nullptr;
    QToolButton* BitBtn4 = nullptr;
    plat::ui::MaskEdit* Ed_Orientador = nullptr;
    plat::ui::DBGrid* DBGrid1 = nullptr;
    plat::ui::DBMemo* DBMemo1 = nullptr;

private:
    void buildUi();
    void wireEvents();
    void deletePlain();
    void markForReassignment();

    AppContext& m_ctx;
    TDm_Dados& m_dm;
    bool m_holdersWereOpen = false;
    bool m_closed = false;
};

} // namespace zelta
