#pragma once

#include <QStyle>

class QToolButton;

namespace plat::ui {

// A push button with a picture. With textUnder the text stands under the
// picture (the button bars of the list windows), otherwise beside it. With the
// focus, Enter presses it as the space bar does.
QToolButton* pictureButton(QWidget* parent, const QString& name, const QString& text, QStyle::StandardPixmap picture,
                           bool textUnder = true);

// A flat button with a picture beside its text that does not take the keyboard
// focus when clicked, so the box being typed in is not left by the click. Tab
// reaches it, and Enter or the space bar press it then.
QToolButton* speedButton(QWidget* parent, const QString& name, const QString& text, QStyle::StandardPixmap picture);

} // namespace plat::ui
