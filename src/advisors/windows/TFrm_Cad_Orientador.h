#pragma once

#include "platform/ui/Form.h"

#include <QString>

#include <optional>

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
class TVlCpfCgc;
enum class Campo : quint8;

// The advisor entry form, on the advisor cursor's current record: a new
// advisor (Modo::Novo) or the list's selected one (Modo::Editar). A new
// advisor gets nothing but the CPF (and the area) until a valid CPF that no
// holder uses has been entered. "Confirma" checks the required fields, writes
// the coded fields and posts; nome() then gives the advisor's name.
// "Cancelar" drops the pending record. The area picker starts from the area
// given and subArea() gives the one it last returned, which the caller keeps
// for the next form.
class TFrm_Cad_Orientador : public plat::ui::Form {
    Q_OBJECT
public:
    enum class Modo { Novo, Editar };

    TFrm_Cad_Orientador(TDm_Dados& dados, TVlCpfCgc& validador, Modo modo, const QString& subArea, QWidget* parent = nullptr);
    ~TFrm_Cad_Orientador() override;

    // Opened to mend a field that failed a check: the focus starts in that
    // field's box (in the name's for the CPF, which an edit does not change).
    void focoEm(Campo campo);

    // Results: the name of the advisor posted (empty unless "Confirma"
    // posted), and the area the area picker last returned.
    const QString& nome() const { return m_nome; }
    const QString& subArea() const { return m_subArea; }

    // Event handlers.
    void FormCreate() override;
    void FormClose() override;
    void DBEdCpfExit();
    void EditAreaExit();
    void SpeedButton1Click(); // Área
    void DBMemoTituloEnter();
    void RadioPesquisadorClick(); // also RadioCategoria
    void SpeedConfirmaClick();
    void SpeedButton2Click(); // Cancelar

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
    QWidget* buildBoxes(); // gives the area row
    QWidget* buildAreaRow();
    void applyFocus(Campo campo);
    void wireEvents();
    void openNew();
    void openEdit();
    void setEntryEnabled(bool enabled);

    TDm_Dados& m_dm;
    TVlCpfCgc& m_validador;
    Modo m_modo;
    QString m_subArea;
    QString m_nome;
    std::optional<Campo> m_foco;
    bool m_holdersWereOpen = false;
};

} // namespace zelta
