#pragma once

#include "platform/report/PageModel.h"

#include <QImage>
#include <QString>

class QPainter;

namespace plat::report {

// Paints one page of a page model on the painter's device (a printer or an
// image), with the paper's top left corner at the device's origin.
// Millimetres are mapped through the device's resolution, and fonts are given
// in points, which the device turns into its own pixels.
void paintPage(QPainter& painter, const Page& page);

// The page as an image at the given resolution (dots per inch), on white paper.
QImage renderPage(const Page& page, const QSizeF& paper, int dpi);

} // namespace plat::report
