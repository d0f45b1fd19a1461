#include "platform/ui/WindowChrome.h"

#include <QAbstractButton>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>

namespace plat::ui {

namespace {

// Stops the ways of closing a dialog that do not go through its buttons: the
// window manager's close (a spontaneous close event) and Esc. A close asked for
// by the program itself (close(), accept(), reject()) passes.
class CloseKeeper : public QObject {
public:
    CloseKeeper(QDialog* dialog, QAbstractButton* cancel) : QObject(dialog), m_cancel(cancel) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent())
            return false;
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            pressCancel();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                if (!key->isAutoRepeat())
                    pressCancel();
                return true;
            }
        }
        return false;
    }

private:
    void pressCancel()
    {
        if (m_cancel && m_cancel->isEnabled() && m_cancel->isVisible())
            m_cancel->click();
    }

    QPointer<QAbstractButton> m_cancel;
};

} // namespace

void removeBorderIcons(QWidget* window)
{
    const Qt::WindowFlags type = window->windowFlags() & Qt::WindowType_Mask;
    window->setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

void setNoBorderIcons(QDialog* dialog, QAbstractButton* cancelButton)
{
    removeBorderIcons(dialog);
    dialog->installEventFilter(new CloseKeeper(dialog, cancelButton));
}

void centerOnScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        return;
    const QSize size = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace plat::ui
