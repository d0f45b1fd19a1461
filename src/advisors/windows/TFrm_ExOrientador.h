#pragma once

#include "advisors/AdvisorReassignment.h"
#include "platform/ui/Form.h"

#include <QHash>
#include <QString>

class QLabel;
class QToolButton;

namespace plat::ui {
class DBGrid;
class DBMemo;
class MaskEdit;
} // namespace plat::ui

namespace zelta {

class TDm_Dados;

// The reassignment of the holders of an advisor being deleted (the advisor
// record with this CPF and number): each holder is given another advisor,
// then "Confirma" moves them all and deletes the advisor, in one transaction.
// However the window closes, the working marks of both tables are cleared.
class TFrm_ExOrientador : public plat::ui::Form {
    Q_OBJECT
public:
    TFrm_ExOrientador(TDm_Dados& dados, const QString& cpfExcluido, qint64 codigoExcluido, QWidget* parent = nullptr);
    ~TFrm_ExOrientador() override;

    // Event handlers.
    void FormCreate() override;
    void FormClose() override; // the clearing of the marks
    void EdOrientadorChange();
    void BitBtn1Click(); // Altera o Orientador
    void BitBtn2Click(); // Confirma
    void BitBtn3Click(); // Cancelar

    plat::ui::DBGrid* DBGrid1 = nullptr;
    QToolButton* BitBtn1 = nullptr;
    plat::ui::MaskEdit* EdOrientador = nullptr;
    plat::ui::DBGrid* DBGrid2 = nullptr;
    plat::ui::DBMemo* DBMemo1 = nullptr;
    QToolButton* BitBtn2 = nullptr;
    QToolButton* BitBtn3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;

private:
    void buildUi();
    QWidget* buildHolders();
    QWidget* buildAdvisors();
    QWidget* buildInstructions();
    void wireEvents();
    void rereadAfterFailure();

    TDm_Dados& m_dm;
    const QString m_cpfExcluido;
    const qint64 m_codigoExcluido;
    // The advisor record picked for each holder (by the holder's CPF): the
    // holder goes to that record, not to another record of the same person.
    AdvisorPicks m_picked;
};

} // namespace zelta
