#include "platform/report/ReportLayout.h"

namespace plat::report {

namespace {

ReportItem& add(Band& band, ItemKind kind, double left, double top, const Font& font)
{
    ReportItem item;
    item.kind = kind;
    item.pos = QPointF(left, top);
    item.font = font;
    band.items << item;
    return band.items.last();
}

} // namespace

ReportItem& Band::addLabel(const QString& text, double left, double top, const Font& font)
{
    ReportItem& item = add(*this, ItemKind::Label, left, top, font);
    item.text = text;
    return item;
}

ReportItem& Band::addField(const QString& field, double left, double top, const Font& font)
{
    ReportItem& item = add(*this, ItemKind::DataField, left, top, font);
    item.field = field;
    return item;
}

ReportItem& Band::addDateTime(double left, double top, const Font& font)
{
    return add(*this, ItemKind::DateTime, left, top, font);
}

ReportItem& Band::addPageNumber(double left, double top, const Font& font)
{
    return add(*this, ItemKind::PageNumber, left, top, font);
}

const ReportItem* Band::item(const QString& name) const
{
    for (const ReportItem& it : items)
        if (!it.name.isEmpty() && it.name.compare(name, Qt::CaseInsensitive) == 0)
            return &it;
    return nullptr;
}

} // namespace plat::report
