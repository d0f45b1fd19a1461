#pragma once

#include "data/windows/Sessao.h"

#include <QDialog>
#include <QString>

class QLineEdit;
class QToolButton;

namespace plat::ui {
class DBEdit;
class DBMemo;
class RadioGroup;
} // namespace plat::ui

namespace zelta {

class TDm_Dados;
struct HolderAdvisor;
enum class Campo : quint8;

// The holder entry form, on the holder cursor's current record: a new holder
// (the session's Bolsista_Novo) or the list's selected one, whose advisor is
// the session's Codigo_Orientador. A new holder gets nothing but the CPF until
// a valid CPF is entered that no advisor uses; the CPF of a registered holder
// turns the form into an edit of that holder. "Confirma" checks the required
// fields, writes the coded fields and posts, leaving the holder's name in the
// session's Ultimo_Bolsista; "Cancelar" drops the pending record.
class TFrm_Cad_Bolsistas : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Cad_Bolsistas(Sessao& sessao, QWidget* parent = nullptr);
    ~TFrm_Cad_Bolsistas() override;

    void done(int result) override;

    // Edits the holder on which the holder cursor stands, as the list's
    // "Editar" does. Given a field that failed a check, the form opens with
    // the focus in that field's box (the CPF box is opened for the purpose).
    static void editar(Sessao& sessao, QWidget* parent, const Campo* campo = nullptr);
    void focoEm(Campo campo);

    // Event handlers.
    void FormCreate();
    void FormClose();
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

    Sessao& m_sessao;
    TDm_Dados& m_dm;
    bool m_advisorsWereOpen = false;
    bool m_closed = false;
};

} // namespace zelta
