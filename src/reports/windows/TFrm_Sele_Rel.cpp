#include "reports/windows/TFrm_Sele_Rel.h"

#include "app/windows/RegisterNotices.h"
#include "data/TDm_Dados.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/Messages.h"
#include "platform/ui/PreviewWindow.h"
#include "platform/ui/WindowChrome.h"
#include "reports/SelecaoRelatorio.h"
#include "reports/TFrm_Relatorio_Bol.h"
#include "reports/TFrm_Relatorio_Ori.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelta {

TFrm_Sele_Rel::TFrm_Sele_Rel(Sessao& sessao, QWidget* parent) : QDialog(parent), m_sessao(sessao)
{
    setObjectName(QStringLiteral("Frm_Sele_Rel"));
    setWindowTitle(QStringLiteral("Relatórios de Conferência"));
    buildUi();
    wireEvents();
    // "Sair" is the cancel button: Esc and the window manager's close press it.
    plat::ui::setNoBorderIcons(this, BitBtnSair);
}

void TFrm_Sele_Rel::buildUi()
{
    auto checkBox = [this](const char* name, const QString& caption) {
        auto* box = new QCheckBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        return box;
    };
    CheckNovos = checkBox("CheckNovos", QStringLiteral("Bolsistas - Novos"));
    CheckRenovados = checkBox("CheckRenovados", QStringLiteral("Bolsistas - Renovados"));
    CheckExcluidos = checkBox("CheckExcluidos", QStringLiteral("Bolsistas - Excluídos"));
    CheckOrientadores = checkBox("CheckOrientadores", QStringLiteral("Orientadores"));

    auto panel = [this](const char* name, const QList<QCheckBox*>& boxes) {
        auto* frame = new QFrame(this);
        frame->setObjectName(QString::fromLatin1(name));
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setFrameShadow(QFrame::Sunken);
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(12, 8, 12, 8);
        layout->setSpacing(6);
        for (QCheckBox* box : boxes)
            layout->addWidget(box);
        return frame;
    };
    Panel_Bolsistas = panel("Panel_Bolsistas", {CheckNovos, CheckRenovados, CheckExcluidos});
    Panel_Orientadores = panel("Panel_Orientadores", {CheckOrientadores});

    GroupBox1 = new QGroupBox(QStringLiteral("Selecione o Relatório de Conferência"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* group = new QVBoxLayout(GroupBox1);
    group->setContentsMargins(10, 10, 10, 10);
    group->setSpacing(8);
    group->addWidget(Panel_Bolsistas);
    group->addWidget(Panel_Orientadores);

    BitBtnImprimir = plat::ui::namedButton(this, QStringLiteral("Imprimir"), QStringLiteral("BitBtnImprimir"));
    BitBtnSair = plat::ui::namedButton(this, QStringLiteral("Sair"), QStringLiteral("BitBtnSair"));
    for (QPushButton* b : {BitBtnImprimir, BitBtnSair})
        b->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(GroupBox1);
    layout->addLayout(plat::ui::centredButtons({BitBtnImprimir, BitBtnSair}));
    setMinimumWidth(340);
}

void TFrm_Sele_Rel::wireEvents()
{
    using plat::ui::guarded;
    connect(CheckNovos, &QCheckBox::toggled, this, guarded(this, &TFrm_Sele_Rel::CheckNovosClick));
    connect(CheckRenovados, &QCheckBox::toggled, this, guarded(this, &TFrm_Sele_Rel::CheckRenovadosClick));
    connect(CheckExcluidos, &QCheckBox::toggled, this, guarded(this, &TFrm_Sele_Rel::CheckExcluidosClick));
    connect(CheckOrientadores, &QCheckBox::toggled, this, guarded(this, &TFrm_Sele_Rel::CheckOrientadoresClick));
    connect(BitBtnImprimir, &QPushButton::clicked, this, guarded(this, &TFrm_Sele_Rel::BitBtnImprimirClick));
    connect(BitBtnSair, &QPushButton::clicked, this, guarded(this, &TFrm_Sele_Rel::BitBtnSairClick));
}

SituacoesBolsista TFrm_Sele_Rel::situacoes() const
{
    return SituacoesBolsista{CheckNovos->isChecked(), CheckRenovados->isChecked(), CheckExcluidos->isChecked()};
}

void TFrm_Sele_Rel::holderBoxChanged() { CheckOrientadores->setEnabled(!situacoes().any()); }

void TFrm_Sele_Rel::CheckNovosClick() { holderBoxChanged(); }
void TFrm_Sele_Rel::CheckRenovadosClick() { holderBoxChanged(); }
void TFrm_Sele_Rel::CheckExcluidosClick() { holderBoxChanged(); }

void TFrm_Sele_Rel::CheckOrientadoresClick()
{
    const bool free = !CheckOrientadores->isChecked();
    for (QCheckBox* box : {CheckNovos, CheckRenovados, CheckExcluidos})
        box->setEnabled(free);
}

void TFrm_Sele_Rel::BitBtnImprimirClick()
{
    const SituacoesBolsista chosen = situacoes();
    if (!chosen.any() && !CheckOrientadores->isChecked()) {
        plat::ui::attention(QStringLiteral("Relatório não selecionado !!!"), this);
        return;
    }
    TDm_Dados& dados = *m_sessao.Dm_Dados;
    // Reports print from a register that passes the full check.
    checkRegisterBeforeUse(dados, this);
    if (CheckOrientadores->isChecked()) {
        TFrm_Relatorio_Ori report(dados);
        plat::ui::showPreview(report, this);
        return;
    }
    // The data module's query keeps the last condition after the preview.
    prepararRelatorioBol(*dados.Qr_Relatorio_Bol, chosen);
    TFrm_Relatorio_Bol report(dados);
    plat::ui::showPreview(report, this);
}

void TFrm_Sele_Rel::BitBtnSairClick() { accept(); }

} // namespace zelta
