#pragma once

#include "data/RegisterCopies.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zelta {

struct AppContext;

// "Cópias de Segurança": the whole copies of the register, newest first, with
// the date and time, the institution, the numbers of holders and advisors and
// the size of each. "Restaurar" puts the chosen copy in the place of the
// register after a confirmation (the data replaced is kept as a copy first),
// "Fazer Cópia" takes a copy now, "Sair" closes.
class TFrm_Copias : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Copias(AppContext& ctx, QWidget* parent = nullptr);

    // Reads the copies folder again and fills the list.
    void FormCreate();
    void BitBtnRestaurarClick();
    void BitBtnCopiaClick();

    const QList<RegisterCopy>& copies() const { return m_copies; }

    QTableWidget* GridCopias = nullptr;
    QLabel* Label_Pasta = nullptr;
    QPushButton* BitBtnRestaurar = nullptr;
    QPushButton* BitBtnCopia = nullptr;
    QPushButton* BitBtnSair = nullptr;

private:
    void buildUi();

    AppContext& m_ctx;
    QList<RegisterCopy> m_copies;
};

} // namespace zelta
