#pragma once

#include "app/windows/Sessao.h"
#include "platform/ui/Form.h"

#include <QStringList>

class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zelta {

class PendenciasView;

// "Verificação de Preenchimento": runs the completeness verification, shows
// its log as it is written, and prints the stored log as the verification
// report. Left only through "Sair".
class TFrm_Verifica : public plat::ui::Form {
    Q_OBJECT
public:
    explicit TFrm_Verifica(Sessao& sessao, QWidget* parent = nullptr);
    ~TFrm_Verifica() override;

    // Event handlers.
    void BitBtnVerificarClick();
    void BitBtnImprimirClick();
    void BitBtnSairClick();
    void FormClose() override;

    QPlainTextEdit* MemoLog = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* BitBtnVerificar = nullptr;
    QPushButton* BitBtnImprimir = nullptr;
    QPushButton* BitBtnSair = nullptr;
    PendenciasView* Pendencias = nullptr; // every problem of the last run, beside the log

private:
    void buildUi();
    void buildLog();
    void wireEvents();
    void flushLog();

    Sessao& m_sessao;
    QStringList m_pending; // log lines not yet in the log box
};

} // namespace zelta
