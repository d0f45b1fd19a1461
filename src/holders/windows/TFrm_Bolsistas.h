#pragma once

#include "data/windows/RecordGuard.h"
#include "app/windows/Sessao.h"
#include "platform/ui/Form.h"

#include <QString>

class QGroupBox;
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
// reached; "Excluir" deletes a new holder and excludes a renewed one. After
// the entry form the list comes back to the holder the form names.
class TFrm_Bolsistas : public plat::ui::Form {
    Q_OBJECT
public:
    explicit TFrm_Bolsistas(Sessao& sessao, QWidget* parent = nullptr);
    ~TFrm_Bolsistas() override;

    // Event handlers.
    void FormCreate() override;
    void FormClose() override;
    void Ed_BolsistasChange();
    void BitBtnNovoClick();
    void BitBtnEditarClick();
    void BitBtnExcluirClick();
    void BitBtnRenovarClick();
    void BitBtnSairClick();
    void BitBtnExportarClick();

    // The holder the list comes back to after the entry form.
    const QString& ultimoBolsista() const { return m_ultimoBolsista; }

    // Re-reads the three counts and shows them.
    void AtualizaTotais();

    QToolButton* BitBtnNovo = nullptr;
    QToolButton* BitBtnEditar = nullptr;
    QToolButton* BitBtnExcluir = nullptr;
    QToolButton* BitBtnRenovar = nullptr;
    QToolButton* BitBtnSair = nullptr;
    QToolButton* BitBtnExportar = nullptr;
    plat::ui::MaskEdit* Ed_Bolsistas = nullptr;
    plat::ui::DBGrid* DBGrid1 = nullptr;
    QLineEdit* Panel_TotalRn = nullptr;
    QLineEdit* Panel_TotalNv = nullptr;
    QLineEdit* Panel_TotalRn_Nv = nullptr;
    QLineEdit* Panel_TotalEX = nullptr;
    QLineEdit* Panel_TotalBolsistas = nullptr;

private:
    void buildUi();
    QGroupBox* buildCounters();
    void wireEvents();
    bool listEmpty() const;

    Sessao& m_sessao;
    TDm_Dados& m_dm;
    // No write by a record number that another program has since reused.
    RecordGuard m_guard;
    QString m_ultimoBolsista; // the holder the list comes back to after "Novo"
};

} // namespace zelta
