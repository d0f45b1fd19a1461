#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace plat::ui {

// Gives a shown window a new size about the centre its frame had (taken
// before anything in it changed: a layout may already have grown the window
// from its top left corner), then moves it
// as little as needed to keep it whole within the available area of its
// screen (the desktop less task bars). A size larger than that area is cut to
// it. Without a screen the window is only resized.
void resizeKeepingCentre(QWidget* window, QSize size, QPoint centre);

} // namespace plat::ui
