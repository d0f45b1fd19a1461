#include "platform/report/TextMeasurer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>

namespace plat::report {

namespace {

// Resolution at which text is measured: fine enough that the rounding of glyph
// advances does not add up along a line.
constexpr int kMeasureDpi = 1200;

const QImage& measureDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dpm = qRound(kMeasureDpi / 0.0254);
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        return image;
    }();
    return device;
}

} // namespace

QFont toQFont(const Font& font)
{
    QFont f(font.family);
    f.setPointSizeF(font.points);
    f.setBold(font.bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(true);
    return f;
}

struct FontMeasurer::Metrics {
    explicit Metrics(const Font& font) : fm(toQFont(font), &measureDevice()) {}
    QFontMetricsF fm;
    // Widths of texts already measured: labels and coded words repeat in every
    // band of a report, and shaping them again is most of the layout's cost.
    QHash<QString, double> widths;
};

FontMeasurer::Metrics& FontMeasurer::metrics(const Font& font) const
{
    if (m_last && m_lastFont == font)
        return *m_last;
    const QString key = QStringLiteral("%1|%2|%3").arg(font.family).arg(font.points).arg(font.bold);
    auto it = m_cache.find(key);
    if (it == m_cache.end())
        it = m_cache.insert(key, std::make_shared<Metrics>(font));
    m_lastFont = font;
    m_last = it->get();
    return *m_last;
}

double FontMeasurer::width(const QString& text, const Font& font) const
{
    constexpr qsizetype kMaxCached = 200000;
    Metrics& m = metrics(font);
    const auto it = m.widths.constFind(text);
    if (it != m.widths.constEnd())
        return *it;
    const double w = m.fm.horizontalAdvance(text) * 25.4 / kMeasureDpi;
    if (m.widths.size() < kMaxCached)
        m.widths.insert(text, w);
    return w;
}

double FontMeasurer::lineHeight(const Font& font) const
{
    return metrics(font).fm.height() * 25.4 / kMeasureDpi;
}

} // namespace plat::report
