#pragma once

#include "app/windows/Sessao.h"
#include "validation/Completude.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;

namespace zelta {

// The list of pending problems ("Pendências"): every problem of every record,
// grouped by record (name, CPF), each marked when it stops the generation of
// the file, with their count. "Corrigir", a double click or Enter opens the
// record's entry form on that record with the focus in the failing field;
// when the form closes the record is checked again and its entry updated.
// The count says which problems the verification's log does not count as
// errors of its own. The columns are as wide as their longest text.
class PendenciasView : public QWidget {
public:
    // soImpeditivas: only the problems that stop the generation are listed.
    PendenciasView(Sessao& sessao, bool soImpeditivas, QWidget* parent = nullptr);

    void setLista(ListaPendencias lista);
    const ListaPendencias& lista() const;
    // Back to the state before any run: no rows and no count (a list that is
    // empty because nothing was found says so, one never filled says nothing).
    void limpar();

    // As wide as the columns need, so that a window can make room for them.
    QSize sizeHint() const override;

    // Opens the selected problem's record ("Corrigir"); for an advisor whom no
    // holder names, the advisor list on that advisor, where it is deleted.
    void BitBtnCorrigirClick();
    // Checks one entry's record again and updates the entry.
    void reexaminar(int registro);
    // Selects the first row of a problem.
    void selecionar(int registro, int pendencia);

    QLabel* LabelPendencias = nullptr;
    QTableView* GridPendencias = nullptr;
    QPushButton* BitBtnCorrigir = nullptr;
    // "Exportar Planilha...": every pending problem to a spreadsheet; only in
    // the full list, enabled while it holds something.
    QPushButton* BitBtnExportar = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Model;
    void showCount();
    void fitColumns();
    bool abrirBolsista(const RegistroPendente& r, Campo campo);
    bool abrirOrientador(const RegistroPendente& r, Campo campo);
    bool abrirListaDeOrientadores(const RegistroPendente& r);

    Sessao& m_sessao;
    bool m_soImpeditivas;
    Model* m_model = nullptr;
    bool m_preenchida = false; // a list was set since the last limpar()
    int m_columnsWidth = 0;    // the columns' widths together
};

} // namespace zelta
