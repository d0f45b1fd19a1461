#pragma once

#include "data/windows/Sessao.h"

#include <QDialog>
#include <QString>

class QLineEdit;
class QToolButton;

namespace plat::ui {
class DBEdit;
class DBMemo;
class MaskEdit;
class RadioGroup;
} // namespace plat::ui

namespace zelta {

class TDm_Dados;
enum class Campo : quint8;

// The advisor entry form, on the advisor cursor's current record: a new
// advisor (the session's Novo_Orientador) or the list's selected one. A new
// advisor gets nothing but the CPF (and the area) until a valid CPF that no
// holder uses has been entered. "Confirma" checks the required fields, writes
// the coded fields and posts, leaving the advisor's name in the session's
// Chave_Orientador; "Cancelar" drops the pending record. The area picker's
// answer is kept for the whole run in the session's SubArea_Selecionada.
class TFrm_Cad_Orientador : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Cad_Orientador(Sessao& sessao, QWidget* parent = nullptr);
    ~TFrm_Cad_Orientador() override;

    void done(int result) override;

    // Opened to mend a field that failed a check: the focus starts in that
    // field's box (in the name's for the CPF, which an edit does not change).
    void focoEm(Campo campo);

    // Event handlers.
    void FormCreate();
    void FormClose();
    void DBEdCpfExit();
    void EditAreaExit();
    void SpeedButton1Click();       // Área
    void DBMemoTituloEnter();
    void RadioPesquisadorClick();   // also RadioCategoria
    void SpeedConfirmaClick();
    void SpeedButton2Click();       // Cancelar

    plat::ui::DBEdit* DBEdCpf = nullptr;
    plat::ui::DBEdit* DBEdOrientador = nullptr;
    plat::ui::RadioGroup* RadioTitulacao = nullptr;
    plat::ui::MaskEdit* EditArea = nullptr;
    QLineEdit* EditSubarea = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    plat::ui::DBMemo* DBMemoTitulo = nullptr;
    plat::ui::DBEdit* DBEdPalavra1 = nullptr;
    plat::ui::DBEdit* DBEdPalavra2 = nullptr;
    plat::ui::DBEdit* DBEdPalavra3 = nullptr;
    plat::ui::RadioGroup* RadioPesquisador = nullptr;
    plat::ui::RadioGroup* RadioCategoria = nullptr;
    QToolButton* SpeedConfirma = nullptr;
    QToolButton* SpeedButton2 = nullptr;

private:
    void buildUi();
    void wireEvents();
    void openNew();
    void openEdit();
    void setEntryEnabled(bool enabled);

    Sessao& m_sessao;
    TDm_Dados& m_dm;
    bool m_holdersWereOpen = false;
    bool m_closed = false;
};

} // namespace zelta
