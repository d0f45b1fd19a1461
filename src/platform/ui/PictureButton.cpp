#include "platform/ui/PictureButton.h"

#include <QKeyEvent>
#include <QToolButton>

namespace plat::ui {

namespace {

// A tool button that, like a push button with the focus, is pressed by Enter
// as well as by the space bar.
class FocusableButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!event->isAutoRepeat())
                click();
            return;
        }
        QToolButton::keyPressEvent(event);
    }
};

} // namespace

QToolButton* pictureButton(QWidget* parent, const QString& name, const QString& text, QStyle::StandardPixmap picture,
                           bool textUnder)
{
    auto* b = new FocusableButton(parent);
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
    // Reached with Tab, but a click leaves the focus where it is.
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

} // namespace plat::ui
