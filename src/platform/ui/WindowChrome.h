#pragma once

class QAbstractButton;
class QDialog;
class QWidget;

namespace plat::ui {

// Takes the system menu and the minimise, maximise and close boxes off a
// window's border, keeping its title.
void removeBorderIcons(QWidget* window);

// A dialog "without border icons": no border icons, and the window manager's
// close and the Esc key do nothing, since such a window is left only through
// its own buttons. When the window has a cancel button, both press that button
// instead (when it is enabled), so the window closes the way the button does.
void setNoBorderIcons(QDialog* dialog, QAbstractButton* cancelButton = nullptr);

// Moves a top-level window to the centre of its screen's available area, at
// its current size (or its size hint when it was never resized).
void centerOnScreen(QWidget* window);

} // namespace plat::ui
