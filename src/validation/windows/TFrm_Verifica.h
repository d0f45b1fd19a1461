#pragma once

#include "app/windows/Sessao.h"

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zelta {

class PendenciasView;

// "Verificação de Preenchimento": runs the completeness verification, shows
// its log as it is written, and prints the stored log as the verification
// report. Left only through "Sair".
class TFrm_Verifica : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Verifica(Sessao& sessao, QWidget* parent = nullptr);
    ~TFrm_Verifica() override;

    // Event handlers.
    void BitBtnVerificarClick();
    void BitBtnImprimirClick();
    void BitBtnSairClick();
    void FormClose();

    QPlainTextEdit* MemoLog = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* BitBtnVerificar = nullptr;
    QPushButton* BitBtnImprimir = nullptr;
    QPushButton* BitBtnSair = nullptr;
    PendenciasView* Pendencias = nullptr; // every problem of the last run, beside the log

    void done(int result) override;

private:
    void buildUi();
    void wireEvents();
    void flushLog();

    Sessao& m_sessao;
    QStringList m_pending; // log lines not yet in the log box
    bool m_closed = false;
};

} // namespace zelta
