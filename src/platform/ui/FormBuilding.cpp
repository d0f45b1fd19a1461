#include "platform/ui/FormBuilding.h"

#include "platform/ui/DBEdit.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace plat::ui {

QGroupBox* framed(QWidget* parent, const QString& title, QWidget* control)
{
    auto* box = new QGroupBox(title, parent);
    auto* l = new QVBoxLayout(box);
    l->setContentsMargins(8, 4, 8, 8);
    l->addWidget(control);
    return box;
}

QGroupBox* framedRow(QWidget* parent, const QString& title, std::initializer_list<QWidget*> controls)
{
    auto* box = new QGroupBox(title, parent);
    auto* l = new QHBoxLayout(box);
    l->setContentsMargins(8, 4, 8, 8);
    for (QWidget* c : controls)
        l->addWidget(c, c == *controls.begin() && controls.size() > 1 ? 0 : 1);
    return box;
}

DBEdit* boundEdit(QWidget* parent, plat::db::DataSource* source, const QString& field, const QString& name,
                  MaskEdit::CharCase charCase)
{
    auto* e = new DBEdit(source, field, parent);
    e->setObjectName(name);
    if (charCase != MaskEdit::CharCase::Normal)
        e->setCharCase(charCase);
    return e;
}

QLineEdit* displayBox(QWidget* parent, const QString& name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    QPalette grey = box->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    box->setPalette(grey);
    return box;
}

SearchBox searchBox(QWidget* parent, const QString& title, const QString& name)
{
    auto* box = new QGroupBox(title, parent);
    auto* edit = new MaskEdit(box);
    edit->setObjectName(name);
    edit->setCharCase(MaskEdit::CharCase::Upper);
    edit->setMaxLength(60);
    auto* l = new QHBoxLayout(box);
    l->addWidget(edit);
    return {box, edit};
}

QHBoxLayout* buttonBar(std::initializer_list<QWidget*> left, QWidget* right)
{
    auto* bar = new QHBoxLayout;
    for (QWidget* b : left)
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(right);
    return bar;
}

QHBoxLayout* centredButtons(std::initializer_list<QPushButton*> buttons, int minWidth)
{
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    for (QPushButton* b : buttons) {
        b->setMinimumWidth(minWidth);
        bar->addWidget(b);
    }
    bar->addStretch(1);
    return bar;
}

QPushButton* namedButton(QWidget* parent, const QString& caption, const QString& name)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

int charsWidth(const QWidget* w, int chars) { return w->fontMetrics().horizontalAdvance(QString(chars, u'0')) + 16; }

void tabChain(std::initializer_list<QWidget*> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

} // namespace plat::ui
