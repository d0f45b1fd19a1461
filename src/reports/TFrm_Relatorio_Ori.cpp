#include "reports/TFrm_Relatorio_Ori.h"

#include "data/TDm_Dados.h"
#include "reports/PageHeader.h"
#include "platform/db/Table.h"

namespace zelta {

using namespace plat::report;

ReportLayout TFrm_Relatorio_Ori::layoutDefinition()
{
    ReportLayout layout;
    layout.title = QString::fromUtf8(kTitle);

    addPageHeader(layout, 167.7, 56.9, QStringLiteral("Titulo_Relatorio"));

    // Values with room to grow end 1 mm before the next label, or as far in
    // from the right edge as the labels start from the left one, so that a
    // long value is cut inside its block instead of crossing the frame.
    Band& d = layout.detail;
    d.height = 40.2;
    d.framed = true;
    const Font f = regular(10);
    const double end = 190.0 - 1.6;

    d.addLabel(QStringLiteral("CPF"), 1.6, 1.6, f);
    d.addField(QStringLiteral("CPF"), 23.8, 1.6, bold(10)).named(QStringLiteral("CPF")).fixedWidth(60.6 - 23.8 - 1.0);
    d.addLabel(QStringLiteral("Nome"), 60.6, 1.6, f);
    d.addField(QStringLiteral("NOME"), 78.3, 1.6, bold(10)).named(QStringLiteral("Nome")).fixedWidth(end - 78.3);

    d.addLabel(QStringLiteral("Titulação"), 1.6, 6.9, f);
    d.addLabel(QString(), 23.8, 6.9, f).named(QStringLiteral("Titulacao"));
    d.addLabel(QStringLiteral("Área"), 60.6, 6.6, f);
    d.addLabel(QString(), 78.3, 6.9, f).named(QStringLiteral("Area")).fixedWidth(end - 78.3);

    d.addLabel(QStringLiteral("Título"), 1.6, 12.4, f);
    d.addField(QStringLiteral("TITULO"), 23.7, 12.5, f).named(QStringLiteral("Titulo")).box(162.8, 13.1);

    d.addLabel(QStringLiteral("Palavras Chave"), 1.6, 27.5, f);
    d.addField(QStringLiteral("P_CHAVE1"), 27.5, 27.5, f).named(QStringLiteral("P_Chave1")).fixedWidth(52.3);
    d.addField(QStringLiteral("P_CHAVE2"), 81.3, 27.5, f).named(QStringLiteral("P_Chave2")).fixedWidth(52.7);
    d.addField(QStringLiteral("P_CHAVE3"), 135.0, 27.5, f).named(QStringLiteral("P_Chave3")).fixedWidth(51.4);

    d.addLabel(QStringLiteral("Pesquisador do Orvu"), 1.6, 32.8, f);
    d.addLabel(QString(), 40.7, 32.8, f).named(QStringLiteral("Pesquisador"));
    d.addLabel(QStringLiteral("Categoria"), 74.1, 32.8, f);
    d.addField(QStringLiteral("CATEGORIA"), 91.0, 32.8, f).named(QStringLiteral("Categoria"));
    printValuesWhole(d);
    return layout;
}

QString TFrm_Relatorio_Ori::areaFormatada(const QString& codArea)
{
    // Trailing blanks are padding of the stored text, not part of the code.
    QString code = codArea;
    while (!code.isEmpty() && code.back().isSpace())
        code.chop(1);
    if (code.isEmpty())
        return QStringLiteral("Não Informado");
    // Pieces beyond the end of a short code are empty; the separators stay.
    return code.mid(0, 1) + u'.' + code.mid(1, 2) + u'.' + code.mid(3, 2) + u'.' + code.mid(5, 2) + u'-' + code.mid(7, 1);
}

QString TFrm_Relatorio_Ori::palavraTitulacao(const QString& titulacao)
{
    const QString code = titulacao.trimmed();
    if (code == u"M")
        return QStringLiteral("Mestrado");
    if (code == u"D")
        return QStringLiteral("Doutorado");
    return QStringLiteral("Não Informado");
}

QString TFrm_Relatorio_Ori::palavraPesquisador(const QString& pesquisador)
{
    return pesquisador.trimmed() == u"S" ? QStringLiteral("Sim") : QStringLiteral("Não");
}

void TFrm_Relatorio_Ori::QRBand1BeforePrint(BandContext& band)
{
    const ReportSource& row = band.master();
    band.setText(QStringLiteral("Area"), areaFormatada(row.value(QStringLiteral("COD_AREA")).toString()));
    band.setText(QStringLiteral("Titulacao"), palavraTitulacao(row.value(QStringLiteral("TITULACAO")).toString()));
    band.setText(QStringLiteral("Pesquisador"), palavraPesquisador(row.value(QStringLiteral("PESQUISADOR")).toString()));
}

TFrm_Relatorio_Ori::TFrm_Relatorio_Ori(TDm_Dados& dados)
    : Report(layoutDefinition()), m_orientador(std::make_unique<plat::db::Table>(dados.database(), QStringLiteral("ZELTAORI")))
{
    // No filter and no ordering chosen: every advisor, in the primary order.
    m_orientador->setObjectName(QStringLiteral("Tb_Relatorio_Ori"));
    m_orientador->open();
    m_rows = std::make_unique<TableSource>(*m_orientador);
    setSource(m_rows.get());
    setBeforePrint(&TFrm_Relatorio_Ori::QRBand1BeforePrint);
}

TFrm_Relatorio_Ori::~TFrm_Relatorio_Ori() { m_orientador->close(); }

} // namespace zelta
