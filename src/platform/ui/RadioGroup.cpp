#include "platform/ui/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace plat::ui {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    const int perColumn = (int(items.size()) + columns - 1) / std::max(1, columns);
    // Items run down each column before the next, as in the classic radio group.
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items.at(i), this);
        m_group->addButton(b, i);
        m_buttons.append(b);
        grid->addWidget(b, i % std::max(1, perColumn), i / std::max(1, perColumn));
    }
    connect(m_group, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

int RadioGroup::itemIndex() const { return m_group->checkedId(); }

QString RadioGroup::itemText(int index) const
{
    QRadioButton* b = button(index);
    return b ? b->text() : QString();
}

void RadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < m_buttons.size()) {
        m_buttons.at(index)->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; lift that to clear it.
    m_group->setExclusive(false);
    for (QRadioButton* b : m_buttons)
        b->setChecked(false);
    m_group->setExclusive(true);
}

} // namespace plat::ui
