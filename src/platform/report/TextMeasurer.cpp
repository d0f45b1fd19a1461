#include "platform/report/TextMeasurer.h"

#include "platform/system/Cp1252.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>

#include <memory>

namespace plat::report {

namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;

// Size at which a table is taken: 1000 pixels to the em gives the advances in
// thousandths directly, far finer than any rounding of the font file.
constexpr int kTableEm = 1000;

FontTable buildTable(const Font& font)
{
    QFont f = toQFont(font);
    f.setPixelSize(kTableEm);
    const QFontMetricsF fm(f);
    FontTable t;
    const QString all = plat::sys::fromCp1252([] {
        QByteArray bytes(256, '\0');
        for (int i = 0; i < 256; ++i)
            bytes[i] = char(i);
        return bytes;
    }());
    for (int i = 0; i < 256; ++i)
        t.advance[i] = fm.horizontalAdvance(all.at(printedCode(all.at(i))));
    t.ascent = fm.ascent();
    t.height = fm.height();
    return t;
}

} // namespace

QFont toQFont(const Font& font)
{
    QFont f(font.family);
    f.setPointSizeF(font.points);
    f.setBold(font.bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

unsigned char printedCode(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x20 && u < 0x7F)
        return static_cast<unsigned char>(u);
    // Control codes, and the five bytes without a character, print as '?'.
    const int b = plat::sys::cp1252Byte(c);
    if (b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
        return '?';
    return static_cast<unsigned char>(b);
}

double FontTable::width(const QString& text) const
{
    double w = 0;
    for (const QChar c : text)
        w += advance[printedCode(c)];
    return w;
}

QPointF baselineOrigin(const TextRun& run, const FontTable& table)
{
    const double mmPerUnit = run.font.points / 1000.0 * kMmPerPoint;
    double x = run.rect.left();
    const Qt::Alignment horizontal = run.align & Qt::AlignHorizontal_Mask;
    if (horizontal & (Qt::AlignRight | Qt::AlignHCenter)) {
        const double w = table.width(run.text) * mmPerUnit;
        x = (horizontal & Qt::AlignRight) ? run.rect.right() - w : run.rect.left() + (run.rect.width() - w) / 2;
    }
    return QPointF(x, run.rect.top() + table.ascent * mmPerUnit);
}

const FontTable& fontTable(const Font& font)
{
    static QMutex mutex;
    static QHash<QString, std::shared_ptr<const FontTable>> tables;
    const QString key = font.family + (font.bold ? QStringLiteral("|b") : QStringLiteral("|r"));
    const QMutexLocker lock(&mutex);
    auto it = tables.constFind(key);
    if (it == tables.constEnd())
        it = tables.insert(key, std::make_shared<const FontTable>(buildTable(font)));
    return **it;
}

const FontTable& FontMeasurer::table(const Font& font) const
{
    if (!m_last || !(m_lastFont == font)) {
        m_last = &fontTable(font);
        m_lastFont = font;
    }
    return *m_last;
}

double FontMeasurer::width(const QString& text, const Font& font) const
{
    return table(font).width(text) / 1000.0 * font.points * kMmPerPoint;
}

double FontMeasurer::lineHeight(const Font& font) const { return table(font).height / 1000.0 * font.points * kMmPerPoint; }

} // namespace plat::report
