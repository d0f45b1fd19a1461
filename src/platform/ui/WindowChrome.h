#pragma once

class QAbstractButton;
class QDialog;
class QWidget;

namespace plat::ui {

// Takes the system menu and the minimise, maximise and close boxes off a
// window's border, keeping its title: the window keeps its kind and asks for a
// title bar only, which Qt tells an X11 window manager as a window that allows
// moving and resizing alone. Window managers that follow that hint draw no
// button. Openbox draws minimise and maximise on every dialog whatever it
// asks, so there a dialog (not opened maximised) is declared a toolbar just
// before it shows, which keeps its title and close but loses both buttons.
// Where a window manager draws its buttons anyway, closing does what
// setNoBorderIcons and the window allow, and a modal window does not stay
// minimised (prepareDialog).
void removeBorderIcons(QWidget* window);

// A dialog "without border icons": no border icons, and the window manager's
// close and the Esc key do nothing, since such a window is left only through
// its own buttons. When the window has a cancel button, both press that button
// instead (when it is enabled), so the window closes the way the button does.
void setNoBorderIcons(QDialog* dialog, QAbstractButton* cancelButton = nullptr);

// A window about to be shown maximised takes its screen's free size itself,
// less the frame the window manager announces for it (asked for before the
// window is mapped): a window without a maximise box (no border icons) may be
// marked maximised by the window manager and yet left at its own size, or
// not be maximised at all. It stays marked maximised, so a window manager
// that maximises it fits it and its frame to the screen. On X11 such a window
// without a maximise box shows unmaximised with its frame within the free
// area, and is maximised once mapped where the window manager allows it.
// Other windows, and windows already shown, are left alone.
void fillScreenWhenMaximised(QWidget* window);

// Readies a window that is about to be shown modally, as showModal() does for
// every window: transient for the window it opens over (its parent, or else
// the active window), centred on that window when shown (on the screen when
// there is none), kept in the state it was shown in when a window manager
// minimises or maximises it regardless of its flags (so that no minimise can
// hide the program), and reachable from the keyboard and by assistive
// technology (assignAccessKeys, nameForAssistiveTechnology), and filling the
// screen when it opens maximised (fillScreenWhenMaximised).
void prepareDialog(QDialog* dialog);

// Gives an access key (Alt and a letter) to every button, check box, group box
// with a control in it and label with a buddy of the window that has none:
// the first letter of its text that no other of them uses, preferring the
// first letters of its words. Buttons come first, then boxes, then the rest.
// Texts that already carry an access key keep it, and its letter is taken.
void assignAccessKeys(QWidget* window);

// Gives each control of the window without an accessible name the name a user
// reads beside it: the text of the label whose buddy it is, else the title of
// the group box around it, else its tool tip.
void nameForAssistiveTechnology(QWidget* window);

} // namespace plat::ui
