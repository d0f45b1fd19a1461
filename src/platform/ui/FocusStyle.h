#pragma once

class QApplication;

namespace plat::ui {

// Makes the keyboard focus visible on every control that takes it: buttons,
// tool buttons, radio buttons and check boxes, boxes and lists. The styles
// draw the focus only after Tab or a shortcut moved it, and some draw it
// faintly; a program that puts the focus on a field by itself (the field to
// correct, for example) would leave the user guessing where the keys go.
// Installed once, after the application object exists.
void installFocusStyle(QApplication& app);

} // namespace plat::ui
