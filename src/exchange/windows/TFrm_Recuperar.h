#pragma once

#include "data/windows/Sessao.h"

#include <QDialog>
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
// opens in the folder behind drive A:), and "Confirma" runs the import, with
// the gauge following it, and closes; registerChanged() then tells the caller
// that the institution may be another. "Cancelar" closes without touching
// anything.
class TFrm_Recuperar : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Recuperar(Sessao& sessao, QWidget* parent = nullptr);

    void SpeedButton1Click();
    void BitBtn3Click();
    void FormClose();

    // True once an import has replaced the tables.
    bool registerChanged() const { return m_registerChanged; }

    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* EdDrive = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn2 = nullptr;

private:
    void buildUi();
    void wireEvents();
    void setGauge(int percent);

    Sessao& m_sessao;
    QString m_fileName;   // what the file dialog holds: the last file chosen
    bool m_registerChanged = false;
};

} // namespace zelta
