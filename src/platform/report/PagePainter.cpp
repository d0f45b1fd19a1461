#include "platform/report/PagePainter.h"

#include "platform/report/TextMeasurer.h"

#include <QPainter>

namespace plat::report {

namespace {} // namespace

void paintPage(QPainter& painter, const Page& page)
{
    const QPaintDevice* device = painter.device();
    const double sx = device->logicalDpiX() / 25.4;
    const double sy = device->logicalDpiY() / 25.4;
    auto toDevice = [&](const QRectF& mm) { return QRectF(mm.left() * sx, mm.top() * sy, mm.width() * sx, mm.height() * sy); };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, kFrameLineMm * sx));
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const QRectF& frame : page.frames)
        painter.drawRect(toDevice(frame));

    painter.setPen(Qt::black);
    // Runs are single lines already placed by the layout: each is drawn at its
    // baseline, placed with the font table the layout measured it with, and
    // the font is changed only when it differs from the last one.
    const Font* current = nullptr;
    const FontTable* table = nullptr;
    for (const TextRun& run : page.texts) {
        if (!current || !(*current == run.font)) {
            painter.setFont(toQFont(run.font));
            table = &fontTable(run.font);
            current = &run.font;
        }
        const QPointF origin = baselineOrigin(run, *table);
        painter.drawText(QPointF(origin.x() * sx, origin.y() * sy), run.text);
    }
    painter.restore();
}

QImage renderPage(const Page& page, const QSizeF& paper, int dpi)
{
    const QSize size(qRound(paper.width() / 25.4 * dpi), qRound(paper.height() / 25.4 * dpi));
    QImage image(size, QImage::Format_RGB32);
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, page);
    painter.end();
    return image;
}

} // namespace plat::report
