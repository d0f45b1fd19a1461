#pragma once

#include "platform/ui/Form.h"

class QButtonGroup;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zelta {

struct Sessao;
class PendenciasView;

// "Gerar disquete para o Orvu": the choice of drive A: or B:, the silent
// pre-check, and the writing of the submission file with its gauge. Each drive
// is a folder (plat::sys::Settings); the window shows the folder behind the
// chosen drive so the user knows where the file goes, and lets the user choose
// another folder for it ("Escolher pasta..."), kept in the settings file.
class TFrm_Gerar : public plat::ui::Form {
    Q_OBJECT
public:
    explicit TFrm_Gerar(Sessao& sessao, QWidget* parent = nullptr);

    // Creates the window and shows it modally (FormCreate runs there).
    static void executar(Sessao& sessao, QWidget* parent);

    // Fills the drive choice. The documents folder behind drive A: is made
    // when missing; with no drive folder at all, tells the user, and the
    // window then shows the missing folder and offers to choose another.
    void FormCreate() override;

    // "Escolher pasta...": a folder for the chosen drive.
    void BtnPastaClick();

    // "Confirmar": the pre-check, then the file.
    void BitBtn3Click();

    // Lists the problems that stop the generation below the buttons.
    void showProblems();

    // The chosen drive letter and the folder behind it.
    QChar selectedDrive() const;
    QString selectedDirectory() const;

    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* RadioA = nullptr;
    QRadioButton* RadioB = nullptr;
    QLabel* Label_Pasta = nullptr;
    QPushButton* BtnPasta = nullptr; // Escolher pasta...
    QProgressBar* Gauge1 = nullptr;
    QPushButton* BitBtn3 = nullptr; // Confirmar
    QPushButton* BitBtn2 = nullptr; // Cancelar
    // After a failed pre-check: the problems that stop the generation.
    PendenciasView* Pendencias = nullptr;

private:
    void buildUi();
    QHBoxLayout* buildFolderChoice();
    void showDirectory();
    void showDriveTips();
    void setGauge(int percent);

    Sessao& m_sessao;
    QButtonGroup* m_drives = nullptr;
};

} // namespace zelta
