#include "platform/ui/PictureButton.h"

#include <QToolButton>

namespace plat::ui {

QToolButton* pictureButton(QWidget* parent, const QString& name, const QString& text, QStyle::StandardPixmap picture,
                           bool textUnder)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setIcon(parent->style()->standardIcon(picture, nullptr, parent));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(textUnder ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextBesideIcon);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setMinimumWidth(textUnder ? 72 : 0);
    return b;
}

QToolButton* speedButton(QWidget* parent, const QString& name, const QString& text, QStyle::StandardPixmap picture)
{
    QToolButton* b = pictureButton(parent, name, text, picture, false);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace plat::ui
