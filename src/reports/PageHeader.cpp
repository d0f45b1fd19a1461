#include "reports/PageHeader.h"

namespace zelta {

using namespace plat::report;

void printValuesWhole(Band& band)
{
    for (ReportItem& item : band.items) {
        if (!item.name.isEmpty())
            item.shrinkToFit(6);
    }
}

void addPageHeader(ReportLayout& layout, double pageLabelX, double titleX, const QString& titleName)
{
    Band& header = layout.pageHeader;
    header.height = 15.6;
    header.framed = true;
    header.addLabel(QStringLiteral("Orvu - Quarvelin Tessaline"), 1.3, 1.6, bold(10));
    header.addLabel(QStringLiteral("Zelta - 99"), 1.3, 6.9, bold(10));
    // The date and the page number end as far in from the right edge as the
    // names start from the left one.
    header.addDateTime(1.3, 1.6, regular(10)).named(QStringLiteral("DataHora")).toBand(Qt::AlignRight);
    header.addLabel(QStringLiteral("Página :"), pageLabelX, 6.9, regular(10));
    header.addPageNumber(1.3, 6.9, regular(10)).named(QStringLiteral("Pagina")).toBand(Qt::AlignRight);
    header.addLabel(layout.title, titleX, 10.1, bold(12)).named(titleName);
}

} // namespace zelta
