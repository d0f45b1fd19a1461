#include "platform/ui/FocusStyle.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPen>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

namespace plat::ui {

namespace {

// The style in use, with a plain outline in the highlight colour wherever the
// style would draw its focus frame.
class FocusStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element != PE_FrameFocusRect) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        QPen pen(option->palette.color(QPalette::Active, QPalette::Highlight));
        pen.setWidth(2);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(1, 1, -1, -1));
        painter->restore();
    }

    // Push buttons: some styles only tint the frame of the focused button,
    // which is hard to tell from the default button; the outline goes inside.
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_PushButton && (option->state & State_HasFocus)) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(*option);
            focus.rect = option->rect.adjusted(2, 2, -2, -2);
            drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
        }
    }
};

// Marks every window that gets a focus change as changed by the keyboard, so
// that the style draws the focus however the focus came: the styles draw
// the focus of boxes and push buttons only on such windows.
class FocusMarker : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && watched->isWidgetType()) {
            QWidget* window = static_cast<QWidget*>(watched)->window();
            if (!window->testAttribute(Qt::WA_KeyboardFocusChange))
                window->setAttribute(Qt::WA_KeyboardFocusChange);
        }
        return false;
    }
};

} // namespace

void installFocusStyle(QApplication& app)
{
    app.setStyle(new FocusStyle(QApplication::style()->name()));
    app.installEventFilter(new FocusMarker(&app));
}

} // namespace plat::ui
