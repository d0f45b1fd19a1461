#pragma once

#include "app/windows/AppContext.h"

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
// the gauge following it, then writes the new acronym and name into the main
// window's labels and closes. "Cancelar" closes without touching anything.
class TFrm_Recuperar : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Recuperar(AppContext& ctx, QWidget* parent = nullptr);

    void SpeedButton1Click();
    void BitBtn3Click();
    void FormClose();

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

    AppContext& m_ctx;
    QString m_fileName;   // what the file dialog holds: the last file chosen
};

} // namespace zelta
