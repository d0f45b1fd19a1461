#pragma once

#include "data/RegisterCopies.h"
#include "platform/ui/Form.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace zelta {

struct Sessao;

// "Cópias de Segurança": the whole copies of the register, newest first, with
// the date and time to the second, why each was taken, the institution, the
// numbers of holders and advisors, whether it passes the full check now (the
// newest such copy marked, in bold, and selected) and the size of each.
// "Restaurar" puts the chosen copy in the place of the
// register after a confirmation (the data replaced is kept as a copy first),
// "Fazer Cópia" takes a copy now, "Aceitar alterações" accepts the rows
// changed outside the program after a confirmation (a copy is taken first),
// "Sair" closes. registerChanged() tells the
// caller that a copy was restored, so the institution may be another.
class TFrm_Copias : public plat::ui::Form {
    Q_OBJECT
public:
    explicit TFrm_Copias(Sessao& sessao, QWidget* parent = nullptr);

    // Fills the list; a failure is shown, and the window opens with what was
    // listed.
    void FormCreate() override;
    void BitBtnRestaurarClick();
    void BitBtnCopiaClick();
    void BitBtnAceitarClick();

    const QList<RegisterCopy>& copies() const { return m_copies; }
    bool registerChanged() const { return m_registerChanged; }

    QTableWidget* GridCopias = nullptr;
    QLabel* Label_Pasta = nullptr;
    QPushButton* BitBtnRestaurar = nullptr;
    QPushButton* BitBtnCopia = nullptr;
    QPushButton* BitBtnAceitar = nullptr;
    QPushButton* BitBtnSair = nullptr;

private:
    void buildUi();
    // Reads the copies folder again and fills the list.
    void listCopies();

    Sessao& m_sessao;
    QList<RegisterCopy> m_copies;
    bool m_registerChanged = false;
};

} // namespace zelta
