#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QAbstractItemView;
class QWidget;

namespace plat::ui {

// Gives a shown window a new size about the centre its frame had (taken
// before anything in it changed: a layout may already have grown the window
// from its top left corner), then moves it
// as little as needed to keep it whole within the available area of its
// screen (the desktop less task bars). A size larger than that area is cut to
// it. Without a screen the window is only resized.
void resizeKeepingCentre(QWidget* window, QSize size, QPoint centre);

// The client area of a window whose frame exactly covers the area, given the
// extents of the frame the window manager draws around the client (title bar
// and borders). Extents that would leave no client area are taken as none.
QRect clientFilling(const QRect& area, const QMargins& extents);

// As clientFilling, but the frame leaves the area's last column and row of
// pixels free: a window manager may take a window whose frame covers the
// whole free area as one to maximise, and where it does not let the window be
// maximised it then leaves the window at that size with the frame of a
// maximised window (xfwm4: no side and bottom borders, a gap instead).
QRect clientAlmostFilling(const QRect& area, const QMargins& extents);

// Widens the window so that the table or tree in it shows every column whole:
// a column the user sizes keeps at least its width (widened first to its
// heading's), a stretched one takes the width of its heading and contents. Up to the free width of the screen (a
// shown window keeps its centre); a window wide enough already is left alone.
void widenToShowColumns(QWidget* window, QAbstractItemView* view);

} // namespace plat::ui
