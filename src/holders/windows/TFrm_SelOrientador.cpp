#include "holders/windows/TFrm_SelOrientador.h"

#include "data/TDm_Dados.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MaskEdit.h"
#include "platform/ui/WindowChrome.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelta {

using plat::db::Table;

TFrm_SelOrientador::TFrm_SelOrientador(TDm_Dados& dados, QWidget* parent) : Form(parent), m_dm(dados)
{
    setObjectName(QStringLiteral("Frm_SelOrientador"));
    setWindowTitle(QStringLiteral("Selecione o Orientador"));
    buildUi();
    wireEvents();
    plat::ui::setNoBorderIcons(this, BtnCancelar);
    resize(640, 480);
}

void TFrm_SelOrientador::buildUi()
{
    DBGrid1 = new plat::ui::DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    QList<plat::ui::GridColumn> columns;
    const QStringList fields{QStringLiteral("CPF"),         QStringLiteral("NOME"),      QStringLiteral("CODIGO"),
                             QStringLiteral("ALTERA"),      QStringLiteral("TITULACAO"), QStringLiteral("P_CHAVE1"),
                             QStringLiteral("P_CHAVE2"),    QStringLiteral("P_CHAVE3"),  QStringLiteral("COD_AREA"),
                             QStringLiteral("PESQUISADOR"), QStringLiteral("CATEGORIA"), QStringLiteral("TITULO")};
    for (const QString& f : fields)
        columns.append({f, f, f == u"CPF" ? 14 : f == u"NOME" ? 73 : 0});
    DBGrid1->setColumns(columns);
    DBGrid1->setDataSource(m_dm.Ds_Orientador);

    const auto [title, memo] = plat::ui::readOnlyMemoBox(QStringLiteral("Titulo do Projeto"), m_dm.Ds_Orientador,
                                                         QStringLiteral("TITULO"), 4, Qt::NoFocus, this);
    DBMemo1 = memo;
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));

    const auto [search, edit] = plat::ui::searchBox(this, QStringLiteral("Informe o nome para consulta"),
                                                    QStringLiteral("Ed_Orientador"));
    Ed_Orientador = edit;

    BtnRetornar = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Retornar"), this);
    BtnRetornar->setObjectName(QStringLiteral("BtnRetornar"));
    BtnRetornar->setDefault(true);
    BtnCancelar = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Cancelar"), this);
    BtnCancelar->setObjectName(QStringLiteral("BtnCancelar"));
    BtnCancelar->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(search, 1);
    bottom->addWidget(BtnRetornar, 0, Qt::AlignBottom);
    bottom->addWidget(BtnCancelar, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(title);
    layout->addLayout(bottom);
    plat::ui::tabChain({Ed_Orientador, BtnRetornar, BtnCancelar, DBGrid1});
    Ed_Orientador->setFocus();
}

void TFrm_SelOrientador::wireEvents()
{
    using plat::ui::guarded;
    connect(Ed_Orientador, &QLineEdit::textChanged, this, guarded(this, &TFrm_SelOrientador::Ed_OrientadorChange));
    connect(BtnRetornar, &QPushButton::clicked, this, guarded(this, &TFrm_SelOrientador::BtnRetornarClick));
    connect(BtnCancelar, &QPushButton::clicked, this, guarded(this, &TFrm_SelOrientador::BtnCancelarClick));
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, guarded(this, &TFrm_SelOrientador::DBGrid1DblClick));
}

// ------------------------------------------------------------------ handlers

void TFrm_SelOrientador::FormCreate()
{
    Table& ori = *m_dm.Tb_Orientador;
    ori.setIndexFieldNames(QStringLiteral("Nome"));
    if (!ori.isOpen())
        ori.open();
}

void TFrm_SelOrientador::Ed_OrientadorChange() { m_dm.Tb_Orientador->findNearest({Ed_Orientador->text()}); }

void TFrm_SelOrientador::BtnRetornarClick()
{
    Table& ori = *m_dm.Tb_Orientador;
    if (!ori.hasRecord()) {
        // No advisor registered: there is nothing to choose.
        reject();
        return;
    }
    m_codigo = ori.field(QStringLiteral("CODIGO")).asInteger();
    accept();
}

void TFrm_SelOrientador::DBGrid1DblClick() { BtnRetornarClick(); }

void TFrm_SelOrientador::BtnCancelarClick() { reject(); }

} // namespace zelta
