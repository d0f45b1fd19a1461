#pragma once

#include "app/windows/Sessao.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QGroupBox;
class QPushButton;

namespace zelta {

struct SituacoesBolsista;

// "Relatórios de Conferência": the user picks the holder report for one or
// more holder situations, or the advisor report, and "Imprimir" opens its
// print preview. The window stays open, with its boxes as they were, after the
// preview closes.
class TFrm_Sele_Rel : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Sele_Rel(Sessao& sessao, QWidget* parent = nullptr);

    // Event handlers.
    void CheckNovosClick();
    void CheckRenovadosClick();
    void CheckExcluidosClick();
    void CheckOrientadoresClick();
    void BitBtnImprimirClick();
    void BitBtnSairClick();

    // The holder situations checked now.
    SituacoesBolsista situacoes() const;

    QGroupBox* GroupBox1 = nullptr;
    QFrame* Panel_Bolsistas = nullptr;
    QFrame* Panel_Orientadores = nullptr;
    QCheckBox* CheckNovos = nullptr;
    QCheckBox* CheckRenovados = nullptr;
    QCheckBox* CheckExcluidos = nullptr;
    QCheckBox* CheckOrientadores = nullptr;
    QPushButton* BitBtnImprimir = nullptr;
    QPushButton* BitBtnSair = nullptr;

private:
    void buildUi();
    void wireEvents();
    // A holder box changed: "Orientadores" is available only while no holder
    // box is checked.
    void holderBoxChanged();

    Sessao& m_sessao;
};

} // namespace zelta
