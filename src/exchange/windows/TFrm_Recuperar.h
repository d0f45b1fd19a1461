#pragma once

#include "app/windows/Sessao.h"
#include "platform/ui/Form.h"

#include <QString>

class QFileDialog;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace zelta {

// "Recuperar dados do Zelta 1999": loads last year's file into the
// institution, holder and advisor tables. The user picks the file (the dialog
// opens in the folder behind drive A:) or types or pastes its path, and
// "Confirma" runs the import, with the gauge following it, and closes;
// registerChanged() then tells the caller that the institution may be
// another. Over a register that holds holders or advisors, "Confirma" first
// asks, naming what goes, and afterwards tells where the copy of it is.
// "Cancelar" closes without touching anything.
class TFrm_Recuperar : public plat::ui::Form {
    Q_OBJECT
public:
    explicit TFrm_Recuperar(Sessao& sessao, QWidget* parent = nullptr);
    ~TFrm_Recuperar() override;

    void SpeedButton1Click();
    void BitBtn3Click();
    // Lets the tables the import used go.
    void FormClose() override;
    // A path typed or pasted into EdDrive, on Enter or on leaving the box: it
    // must name an existing file, as one chosen in the dialog does. False (the
    // user told, the box keeping the focus) when it does not.
    bool EdDriveExit();

    // True once an import has replaced the tables.
    bool registerChanged() const { return m_registerChanged; }

    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* EdDrive = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool confirmReplacement(const QString& path);
    void buildUi();
    void buildFileChoice();
    void buildFileDialog();
    void wireEvents();
    void setGauge(int percent);

    Sessao& m_sessao;
    QString m_fileName; // what the file dialog holds: the last file chosen
    bool m_registerChanged = false;
    bool m_checkingPath = false;
};

} // namespace zelta
