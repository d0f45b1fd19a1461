#pragma once

#include "platform/ui/Form.h"

#include <QString>

#include <optional>

class QLineEdit;
class QToolButton;

namespace plat::ui {
class DBEdit;
class DBMemo;
class RadioGroup;
} // namespace plat::ui

namespace zelta {

class TDm_Dados;
class TVlCpfCgc;
struct HolderAdvisor;
enum class Campo : quint8;

// The holder entry form, on the holder cursor's current record: a new holder
// (Modo::Novo) or the list's selected one (Modo::Editar). A new holder gets
// nothing but the CPF until a valid CPF is entered that no advisor uses; the
// CPF of a registered holder turns the form into an edit of that holder.
// "Confirma" checks the required fields, writes the coded fields and posts;
// "Cancelar" drops the pending record. ultimoBolsista() then names the holder
// the list comes back to.
class TFrm_Cad_Bolsistas : public plat::ui::Form {
    Q_OBJECT
public:
    enum class Modo { Novo, Editar };

    TFrm_Cad_Bolsistas(TDm_Dados& dados, TVlCpfCgc& validador, Modo modo, QWidget* parent = nullptr);
    ~TFrm_Cad_Bolsistas() override;

    // Edits the holder on which the holder cursor stands, as the list's
    // "Editar" does. Given a field that failed a check, the form opens with
    // the focus in that field's box (the CPF box is opened for the purpose).
    static void editar(TDm_Dados& dados, TVlCpfCgc& validador, QWidget* parent, const Campo* campo = nullptr);
    // The box the focus starts in once the form is created.
    void focoEm(Campo campo);

    // Results. Whether the form still enters a new holder (a registered CPF
    // turns it into an edit); the name of the holder posted, or of the one the
    // form turned to, empty when neither; the advisor record (Codigo) shown.
    bool novo() const { return m_modo == Modo::Novo; }
    const QString& ultimoBolsista() const { return m_ultimoBolsista; }
    qint64 codigoOrientador() const { return m_codigoOrientador; }

    // Event handlers.
    void FormCreate() override;
    void FormClose() override;
    void DBEdCPFBolsistaExit();
    void SpeedOrientadorClick();
    void SpeedConfirmaClick();
    void SpeedCancelarClick();

    plat::ui::DBEdit* DBEdCPFBolsista = nullptr;
    plat::ui::DBEdit* DBEdBolsista = nullptr;
    plat::ui::DBEdit* DBEdDataNascimento = nullptr;
    plat::ui::RadioGroup* RadioSexo = nullptr;
    plat::ui::DBEdit* DBEdAgencia = nullptr;
    QLineEdit* Panel_Situacao = nullptr;
    QLineEdit* Panel_Processo = nullptr;
    QLineEdit* Panel_Demanda = nullptr;
    QLineEdit* Panel_Cpf_Orientador = nullptr;
    QLineEdit* Panel_Orientador = nullptr;
    QToolButton* SpeedOrientador = nullptr;
    plat::ui::DBMemo* DbTitulo = nullptr;
    QToolButton* SpeedConfirma = nullptr;
    QToolButton* SpeedCancelar = nullptr;

private:
    void buildUi();
    void buildBoxes();
    void applyFocus(Campo campo);
    bool refuseAdvisorCpf(const QString& cpf);
    void turnToEdit(qint64 record);
    void wireEvents();
    void openNew();
    void openEdit();
    void setEntryEnabled(bool enabled);
    void setCpfOpen(bool open);
    void showStoredValues();
    void selectSexo();
    void showAdvisorOfHolder();
    void showAdvisor(const HolderAdvisor& advisor);
    void clearAdvisor();
    bool moveAdvisorCursorTo(const QString& cpf, qint64 codigo);

    TDm_Dados& m_dm;
    TVlCpfCgc& m_validador;
    Modo m_modo;
    QString m_ultimoBolsista;
    qint64 m_codigoOrientador = 0;
    std::optional<Campo> m_foco;
    bool m_advisorsWereOpen = false;
};

} // namespace zelta
