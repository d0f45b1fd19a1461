#pragma once

#include "data/windows/RecordGuard.h"
#include "data/windows/Sessao.h"

#include <QDialog>
#include <QString>

class QLineEdit;
class QToolButton;

namespace plat::ui {
class DBGrid;
class MaskEdit;
} // namespace plat::ui

namespace zelta {

class TDm_Dados;

// The holder list: every holder in name order with its situation, search as
// you type, and the counts of new, renewed and excluded holders against the
// institution's quota. "Novo" and "Renovar" are refused when the quota is
// reached; "Excluir" deletes a new holder and excludes a renewed one. The
// entry form is told new or existing through the session's Bolsista_Novo; the
// list comes back to the session's Ultimo_Bolsista.
class TFrm_Bolsistas : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Bolsistas(Sessao& sessao, QWidget* parent = nullptr);
    ~TFrm_Bolsistas() override;

    void done(int result) override;

    // Event handlers.
    void FormCreate();
    void FormClose();
    void Ed_BolsistasChange();
    void BitBtnNovoClick();
    void BitBtnEditarClick();
    void BitBtnExcluirClick();
    void BitBtnRenovarClick();
    void BitBtnSairClick();

    // Re-reads the three counts and shows them.
    void AtualizaTotais();

    QToolButton* BitBtnNovo = nullptr;
    QToolButton* BitBtnEditar = nullptr;
    QToolButton* BitBtnExcluir = nullptr;
    QToolButton* BitBtnRenovar = nullptr;
    QToolButton* BitBtnSair = nullptr;
    plat::ui::MaskEdit* Ed_Bolsistas = nullptr;
    plat::ui::DBGrid* DBGrid1 = nullptr;
    QLineEdit* Panel_TotalRn = nullptr;
    QLineEdit* Panel_TotalNv = nullptr;
    QLineEdit* Panel_TotalRn_Nv = nullptr;
    QLineEdit* Panel_TotalEX = nullptr;
    QLineEdit* Panel_TotalBolsistas = nullptr;

private:
    void buildUi();
    void wireEvents();
    bool listEmpty() const;

    Sessao& m_sessao;
    TDm_Dados& m_dm;
    // No write by a record number that another program has since reused.
    RecordGuard m_guard;
    bool m_closed = false;
};

} // namespace zelta
