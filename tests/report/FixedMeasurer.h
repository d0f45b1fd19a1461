#pragma once

#include "platform/report/TextMeasurer.h"

namespace zelta::test {

// Metrics that make positions easy to predict: every character is 2 mm wide
// (2.5 mm in bold) and a line is 4 mm high, whatever the size.
class FixedMeasurer : public plat::report::TextMeasurer {
public:
    double width(const QString& text, const plat::report::Font& font) const override
    {
        return double(text.size()) * (font.bold ? 2.5 : 2.0);
    }
    double lineHeight(const plat::report::Font&) const override { return 4.0; }
};

} // namespace zelta::test
