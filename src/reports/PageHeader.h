#pragma once

#include "platform/report/ReportLayout.h"

namespace zelta {

// The framed page header that every printed report shares: the agency's and the
// programme's names at the left, date and time and the page number at the right,
// the report's title (layout.title) in the middle. Each report places the
// "Página :" label and its title where its own layout puts them.
void addPageHeader(plat::report::ReportLayout& layout, double pageLabelX, double titleX, const QString& titleName);

// A checking report exists so that its values can be checked: each value of
// the band (its named items) that is wider than its place prints in a smaller
// size of its font, down to 6 points, and is cut, with a mark, only past that.
void printValuesWhole(plat::report::Band& band);

} // namespace zelta
