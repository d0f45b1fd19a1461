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

int codeOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u;
    const int b = plat::sys::cp1252Byte(c);
    return b < 0 ? '?' : b;
}

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
    const double unknown = fm.horizontalAdvance(u'?');
    for (int i = 0; i < 256; ++i) {
        const QChar c = all.at(i);
        // Control codes, and the five bytes without a character, print as '?'.
        t.advance[i] = (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)) ? unknown
                                                                                             : fm.horizontalAdvance(c);
    }
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

double FontTable::width(const QString& text) const
{
    double w = 0;
    for (const QChar c : text)
        w += advance[size_t(codeOf(c))];
    return w;
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

double FontMeasurer::lineHeight(const Font& font) const
{
    return table(font).height / 1000.0 * font.points * kMmPerPoint;
}

} // namespace plat::report
