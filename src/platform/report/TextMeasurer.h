#pragma once

#include "platform/report/ReportLayout.h"

#include <QHash>
#include <QString>

#include <memory>

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

// The metrics of the fonts the painters use, taken at printer resolution so
// that they do not depend on the screen.
class FontMeasurer : public TextMeasurer {
public:
    double width(const QString& text, const Font& font) const override;
    double lineHeight(const Font& font) const override;

private:
    struct Metrics;
    Metrics& metrics(const Font& font) const;
    mutable QHash<QString, std::shared_ptr<Metrics>> m_cache;
    // The font asked for last: reports ask for a handful of fonts over and over.
    mutable Font m_lastFont;
    mutable Metrics* m_last = nullptr;
};

// The Qt font a layout font stands for, unhinted so that its metrics scale
// with the resolution of the device it is drawn on.
QFont toQFont(const Font& font);

} // namespace plat::report
