#pragma once

#include "platform/report/PageModel.h"
#include "platform/report/ReportLayout.h"

#include <QString>

#include <array>

class QFont;

namespace plat::report {

// Measures text for the layout, in millimetres. The layout places, wraps and
// cuts text only through this interface, so a page model can be computed (and
// tested) with any metrics.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual double width(const QString& text, const Font& font) const = 0;
    virtual double lineHeight(const Font& font) const = 0;
};

// What a font measures at any size, in thousandths of its size (the unit of
// PDF glyph space): the unkerned advance of each Windows-1252 code, the ascent
// and the line height. The layout, the painters and the PDF writer all place
// text with these numbers, so a line measured to fit its box fits it on every
// device. Reports print only Windows-1252 text; a character outside the set
// counts as the '?' a PDF prints for it.
struct FontTable {
    std::array<double, 256> advance{};
    double ascent = 0;
    double height = 0;

    double width(const QString& text) const; // in thousandths of the size
};

// The Windows-1252 code a character prints as: '?' for a character outside
// the set and for control characters.
unsigned char printedCode(QChar c);

// The table of a font, built from the font file on first use and kept for the
// life of the program (a report uses a handful of fonts).
const FontTable& fontTable(const Font& font);

// Where a run's text starts: the left end of its baseline, in millimetres from
// the paper's top left corner, placed by the run's alignment in its box. table
// is the font table of the run's font (painters keep it while the font stays).
QPointF baselineOrigin(const TextRun& run, const FontTable& table);

// The metrics of the fonts the painters use, from their font tables.
class FontMeasurer : public TextMeasurer {
public:
    double width(const QString& text, const Font& font) const override;
    double lineHeight(const Font& font) const override;

private:
    const FontTable& table(const Font& font) const;
    // The font asked for last: reports ask for a handful of fonts over and over.
    mutable Font m_lastFont;
    mutable const FontTable* m_last = nullptr;
};

// The Qt font a layout font stands for, unhinted and unkerned so that its
// advances scale with the resolution of the device and add up as the font
// table says.
QFont toQFont(const Font& font);

} // namespace plat::report
