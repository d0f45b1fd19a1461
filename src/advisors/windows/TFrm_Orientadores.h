#pragma once

#include "data/windows/RecordGuard.h"
#include "app/windows/Sessao.h"
#include "platform/ui/Form.h"

#include <QString>

class QToolButton;

namespace plat::ui {
class DBGrid;
class DBMemo;
class MaskEdit;
} // namespace plat::ui

namespace zelta {

class TDm_Dados;

// The advisor list: every advisor in name order with search as you type, the
// project title of the selected one, and the commands that add, edit and
// delete advisors. An advisor who still has holders is not deleted here: the
// holders and the advisor are marked and the reassignment window opens on that
// advisor. The session gives the entry forms the validator and keeps the area
// they last chose.
class TFrm_Orientadores : public plat::ui::Form {
    Q_OBJECT
public:
    explicit TFrm_Orientadores(Sessao& sessao, QWidget* parent = nullptr);
    ~TFrm_Orientadores() override;

    // Puts the list on the advisor at that record number, before it shows
    // (creating the list first); false when there is none.
    bool posicionar(qint64 rowid);

    // Event handlers.
    void FormCreate() override;
    void FormClose() override;
    void Ed_OrientadorChange();
    void BitBtn1Click(); // Novo
    void BitBtn2Click(); // Editar
    void BitBtn3Click(); // Excluir
    void BitBtn4Click(); // Sair
    void BitBtnExportarClick();

    QToolButton* BitBtn1 = nullptr;
    QToolButton* BitBtn2 = nullptr;
    QToolButton* BitBtn3 = nullptr;
    QToolButton* BitBtn4 = nullptr;
    QToolButton* BitBtnExportar = nullptr;
    plat::ui::MaskEdit* Ed_Orientador = nullptr;
    plat::ui::DBGrid* DBGrid1 = nullptr;
    plat::ui::DBMemo* DBMemo1 = nullptr;

private:
    void buildUi();
    void wireEvents();
    void deletePlain();
    void markForReassignment(const QString& cpf, qint64 codigo);
    QString openEntryForm(bool novo);

    Sessao& m_sessao;
    TDm_Dados& m_dm;
    // No write by a record number that another program has since reused.
    RecordGuard m_guard;
    // The advisor "Novo" goes to after the form: the one the last form
    // posted; a cancelled "Editar" leaves no key, so the list stays.
    QString m_chaveOrientador;
    bool m_holdersWereOpen = false;
};

} // namespace zelta
