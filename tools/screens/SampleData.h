#pragma once

#include <functional>

namespace zelta {
class TDm_Dados;
}

namespace zelta::screens {

// Fills a freshly provisioned data module with an institution, a few advisors
// and their holders, so that every window has something to show.
void fillSampleData(TDm_Dados& dados);

// Adds records with gaps to the sample data, runs fn, and takes them away
// again, so that the other screens show the sample data as it was.
void withGaps(TDm_Dados& dados, const std::function<void()>& fn);

} // namespace zelta::screens
