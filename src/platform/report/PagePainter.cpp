#include "platform/report/PagePainter.h"

#include "platform/report/TextMeasurer.h"

#include <QDir>
#include <QPageSize>
#include <QPainter>
#include <QFontMetricsF>
#include <QPdfWriter>

#include <optional>
#include <QSaveFile>

namespace plat::report {

namespace {

constexpr double kFrameWidthMm = 0.25;
constexpr int kPdfDpi = 1200;

} // namespace

void paintPage(QPainter& painter, const Page& page)
{
    const QPaintDevice* device = painter.device();
    const double sx = device->logicalDpiX() / 25.4;
    const double sy = device->logicalDpiY() / 25.4;
    auto toDevice = [&](const QRectF& mm) {
        return QRectF(mm.left() * sx, mm.top() * sy, mm.width() * sx, mm.height() * sy);
    };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, kFrameWidthMm * sx));
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const QRectF& frame : page.frames)
        painter.drawRect(toDevice(frame));

    painter.setPen(Qt::black);
    // Runs are single lines already placed by the layout: each is drawn at its
    // baseline, and the font is changed only when it differs from the last one
    // (both matter on a PDF of thousands of pages).
    const Font* current = nullptr;
    std::optional<QFontMetricsF> fm;
    for (const TextRun& run : page.texts) {
        if (!current || !(*current == run.font)) {
            painter.setFont(toQFont(run.font));
            fm.emplace(painter.font(), painter.device());
            current = &run.font;
        }
        const QRectF r = toDevice(run.rect);
        const Qt::Alignment horizontal = run.align & Qt::AlignHorizontal_Mask;
        double x = r.left();
        if (horizontal & (Qt::AlignRight | Qt::AlignHCenter)) {
            const double w = fm->horizontalAdvance(run.text);
            x = (horizontal & Qt::AlignRight) ? r.right() - w : r.left() + (r.width() - w) / 2;
        }
        painter.drawText(QPointF(x, r.top() + fm->ascent()), run.text);
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

bool writePdf(const PageModel& model, const QString& path, QString* error)
{
    auto fail = [&](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (model.isEmpty())
        return fail(QStringLiteral("O relatório não tem linhas a imprimir"));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Não foi possível gravar %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfDpi);
        writer.setPageSize(QPageSize(model.paper, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer.setTitle(model.title);
        writer.setCreator(QStringLiteral("zelta99"));
        QPainter painter;
        if (!painter.begin(&writer))
            return fail(QStringLiteral("Não foi possível gravar %1").arg(QDir::toNativeSeparators(path)));
        for (int i = 0; i < model.pages.size(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, model.pages[i]);
        }
        painter.end();
    }
    if (!file.commit())
        return fail(QStringLiteral("Não foi possível gravar %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return true;
}

} // namespace plat::report
