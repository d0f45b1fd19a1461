#include "reports/TFrm_Relatorio_Bol.h"

#include "data/TDm_Dados.h"
#include "reports/PageHeader.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

namespace zelta {

using namespace plat::report;

namespace {

// The inner edge of the frame: values end this far in from the band's right
// edge, so a long value is cut inside its block instead of crossing the frame.
constexpr double kBandWidth = 190.0;
constexpr double kInner = 1.6;

double upTo(double left, double right) { return right - left - 1.0; }

} // namespace

ReportLayout TFrm_Relatorio_Bol::layoutDefinition()
{
    ReportLayout layout;
    layout.title = QString::fromUtf8(kTitle);

    addPageHeader(layout, 165.6, 60.1, QStringLiteral("Titulo_Relatorio"));

    Band& d = layout.detail;
    d.height = 38.9;
    d.framed = true;
    const Font f = regular(10);
    const double end = kBandWidth - kInner;

    d.addLabel(QStringLiteral("CPF"), 1.6, 1.6, f);
    d.addField(QStringLiteral("CPF"), 21.7, 1.6, bold(10)).named(QStringLiteral("CPF")).fixedWidth(upTo(21.7, 56.4));
    d.addLabel(QStringLiteral("Nome"), 56.4, 1.6, f);
    d.addField(QStringLiteral("Nome"), 74.1, 1.6, bold(10)).named(QStringLiteral("Nome")).fixedWidth(end - 74.1);

    d.addLabel(QStringLiteral("Data Nasc."), 1.6, 6.6, f);
    d.addField(QStringLiteral("DATA_NASCIMENTO"), 21.7, 6.6, f)
        .named(QStringLiteral("Data_Nascimento"))
        .fixedWidth(upTo(21.7, 56.6));
    d.addLabel(QStringLiteral("Sexo"), 56.6, 6.6, f);
    d.addLabel(QString(), 74.1, 6.9, f).named(QStringLiteral("Sexo")).fixedWidth(42.3, Qt::AlignHCenter);
    d.addLabel(QStringLiteral("Agência"), 135.2, 6.6, f);
    d.addField(QStringLiteral("CODIGO_AGENCIA"), 154.5, 6.6, f).named(QStringLiteral("Agencia")).fixedWidth(end - 154.5);

    d.addLabel(QStringLiteral("Situação"), 1.6, 12.4, f);
    d.addField(QStringLiteral("SITUACAO"), 21.7, 12.4, f).named(QStringLiteral("Situacao")).fixedWidth(upTo(21.7, 56.6));
    d.addLabel(QStringLiteral("Processo"), 56.6, 12.4, f);
    d.addField(QStringLiteral("PROCESSO"), 74.1, 12.4, f).named(QStringLiteral("Processo")).fixedWidth(upTo(74.1, 135.2));
    d.addLabel(QStringLiteral("Demanda"), 135.2, 12.4, f);
    d.addField(QStringLiteral("DEMANDA"), 154.5, 12.4, f).named(QStringLiteral("Demanda")).fixedWidth(end - 154.5);

    d.addLabel(QStringLiteral("Orientador"), 1.6, 17.7, f);
    d.addField(QStringLiteral("CPF_ORIENTADOR"), 21.7, 17.5, f)
        .named(QStringLiteral("Cpf_Orientador"))
        .fixedWidth(upTo(21.7, 56.6));
    d.addField(QStringLiteral("NOME"), 56.6, 17.5, f)
        .named(QStringLiteral("Nome_Orientador"))
        .fromDetail()
        .fixedWidth(end - 56.6);

    d.addLabel(QStringLiteral("Projeto"), 1.6, 23.0, f);
    d.addField(QStringLiteral("TITULO"), 21.7, 22.8, f).named(QStringLiteral("Titulo")).fromDetail().box(162.7, 13.5);
    printValuesWhole(d);
    return layout;
}

QString TFrm_Relatorio_Bol::palavraSexo(const QString& sexo)
{
    const QString code = sexo.trimmed();
    if (code == u"F")
        return QStringLiteral("Feminino");
    if (code == u"M")
        return QStringLiteral("Masculino");
    return QStringLiteral("Não Informado");
}

void TFrm_Relatorio_Bol::QRBand1BeforePrint(BandContext& band)
{
    band.setText(QStringLiteral("Sexo"), palavraSexo(band.master().value(QStringLiteral("SEXO")).toString()));
    const QVariant numero = band.master().value(QStringLiteral("NUMERO_ORIENTADOR"));
    band.setEnabled(QStringLiteral("Titulo"), numero.isValid() && !numero.isNull());
}

TFrm_Relatorio_Bol::TFrm_Relatorio_Bol(TDm_Dados& dados)
    : Report(layoutDefinition()),
      m_orientador(std::make_unique<plat::db::Table>(dados.database(), QStringLiteral("ZELTAORI"))),
      m_rows(std::make_unique<QuerySource>(*dados.Qr_Relatorio_Bol))
{
    // The advisor view in record order, which is Codigo order: the link goes
    // straight to the advisor whose Codigo is the holder's advisor number.
    m_orientador->setObjectName(QStringLiteral("Tb_Relatorio_Orientador"));
    m_orientador->open();
    m_orientadorRows = std::make_unique<TableSource>(*m_orientador, QStringLiteral("Codigo"));
    setSource(m_rows.get());
    setDetailLink(m_orientadorRows.get(), QStringLiteral("NUMERO_ORIENTADOR"));
    setBeforePrint(&TFrm_Relatorio_Bol::QRBand1BeforePrint);
}

TFrm_Relatorio_Bol::~TFrm_Relatorio_Bol() { m_orientador->close(); }

} // namespace zelta
