#pragma once

#include "platform/report/PageModel.h"

#include <QString>

class QIODevice;

namespace plat::report {

// Writes a page model as a PDF document.
//
// A page model holds only frames and one-line texts already placed, so the
// document is written directly: one compressed content stream per page, the
// standard PDF fonts (Helvetica for the sans-serif families, Times and Courier
// for the others) in WinAnsiEncoding, each declared with the advance widths of
// the font the layout measured with. Text therefore stands exactly where the
// layout put it in any viewer, and a viewer's text extraction reads it back.
// Nothing is embedded, which keeps a report of thousands of pages small and
// quick to write.

// To a device open for writing. Throws plat::Error (Output) when the model has
// no pages or a write fails.
void writePdf(const PageModel& model, QIODevice& device);

// To a file, which appears complete or not at all. It replaces an older PDF
// only: an existing file of another kind, a device, a fifo or a socket of
// that name is refused, never replaced.
void writePdf(const PageModel& model, const QString& path);

} // namespace plat::report
