#pragma once

#include "app/windows/Sessao.h"
#include "exchange/sheets/SheetImport.h"
#include "platform/ui/Form.h"

#include <QList>

#include <optional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTableView;

namespace zelta {

class ImportPreview;

// "Importar Planilha": reads a CSV, XLSX or ODS file, lets the user choose
// the sheet (when there are several; the first visible one that names a CPF
// column at first) and what it holds (holders or advisors), shows which
// field each column fills (the headings decide, the user may change each
// one), and checks every row with the entry forms' rules, showing each row
// with its problems. With "Atualizar" a row of a registered record changes
// it, and each change is shown. "Importar" is enabled only when no row has a
// problem; it takes a copy of the register and writes every row in one
// transaction, tells how many were added and updated and closes.
class TFrm_ImportarPlanilha : public plat::ui::Form {
    Q_OBJECT
public:
    explicit TFrm_ImportarPlanilha(Sessao& sessao, QWidget* parent = nullptr);
    ~TFrm_ImportarPlanilha() override;

    // Reads the file and shows it (what choosing it in the dialog does). A
    // file that cannot be read is told and leaves the window empty.
    void abrirArquivo(const QString& path);
    // The field a column fills (-1: none), as its box shows it; the change
    // checks the rows again.
    void setCampo(int column, int field);
    int campo(int column) const;

    void BtnEscolherClick();
    void BtnImportarClick();

    // Records written by "Importar" (0 until it ran).
    int added() const { return m_added; }
    int updated() const { return m_updated; }
    ImportPreview* preview() const { return m_preview; }

    QLineEdit* EdArquivo = nullptr;
    QPushButton* BtnEscolher = nullptr;
    QComboBox* CbPlanilha = nullptr;
    QComboBox* CbConteudo = nullptr;
    QCheckBox* ChkAtualizar = nullptr;
    QLabel* LbFormato = nullptr;
    QScrollArea* Mapa = nullptr;
    QList<QComboBox*> CbCampos; // one per column of the sheet
    QTableView* GridLinhas = nullptr;
    QLabel* LbResumo = nullptr;
    QProgressBar* BarraGravacao = nullptr;
    QPushButton* BtnImportar = nullptr;
    QPushButton* BtnFechar = nullptr;

private:
    void buildUi();
    QWidget* buildChoice();
    QWidget* buildMapping();
    QWidget* buildPreview();
    void wireEvents();
    sheets::ImportKind kind() const;
    const sheets::Sheet* currentSheet() const;
    // The sheet chosen: what it holds guessed from its headings, the fields
    // matched, the rows checked.
    void sheetChosen();
    void kindChosen();
    void fieldChosen(int column);
    void fillMapping();
    void check();
    void showSummary(const QString& failure);

    Sessao& m_sessao;
    sheets::Workbook m_book;
    QString m_path;
    sheets::Mapping m_mapping;
    std::optional<sheets::ImportCheck> m_check;
    ImportPreview* m_preview = nullptr;
    QGridLayout* m_mapGrid = nullptr;
    QWidget* m_mapPanel = nullptr;
    int m_added = 0;
    int m_updated = 0;
    bool m_filling = false;
};

} // namespace zelta
