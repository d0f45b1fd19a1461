#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace plat::ui {

// A framed group of radio buttons laid out in rows of the given number of
// columns, of which one or none is
// chosen. itemIndex() is the chosen item, -1 for none; clicked() tells that the
// user chose an item (a choice made by the program emits nothing).
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index); // -1 clears the choice
    int count() const { return int(m_buttons.size()); }
    QRadioButton* button(int index) const { return m_buttons.value(index); }

signals:
    void clicked(int index);

private:
    QButtonGroup* m_group;
    QList<QRadioButton*> m_buttons;
};

} // namespace plat::ui
