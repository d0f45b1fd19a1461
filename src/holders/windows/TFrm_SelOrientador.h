#pragma once

#include "platform/ui/Form.h"

class QPushButton;

namespace plat::ui {
class DBGrid;
class DBMemo;
class MaskEdit;
} // namespace plat::ui

namespace zelta {

class TDm_Dados;

// The advisor picker of the holder entry form: the advisor cursor in name
// order with search as you type. A choice ("Retornar", Enter, or a double
// click on the grid) leaves the cursor on the chosen advisor and closes with
// Accepted; codigo() then gives the chosen advisor's number. It writes
// nothing: the form that opened it takes the choice. "Cancelar" changes
// nothing.
class TFrm_SelOrientador : public plat::ui::Form {
    Q_OBJECT
public:
    explicit TFrm_SelOrientador(TDm_Dados& dados, QWidget* parent = nullptr);

    // The number (Codigo) of the advisor chosen; 0 while none is.
    qint64 codigo() const { return m_codigo; }

    // Event handlers.
    void FormCreate() override;
    void Ed_OrientadorChange();
    void BtnRetornarClick();
    void DBGrid1DblClick();
    void BtnCancelarClick();

    plat::ui::DBGrid* DBGrid1 = nullptr;
    plat::ui::DBMemo* DBMemo1 = nullptr;
    plat::ui::MaskEdit* Ed_Orientador = nullptr;
    QPushButton* BtnRetornar = nullptr;
    QPushButton* BtnCancelar = nullptr;

private:
    void buildUi();
    void wireEvents();

    TDm_Dados& m_dm;
    qint64 m_codigo = 0;
};

} // namespace zelta
