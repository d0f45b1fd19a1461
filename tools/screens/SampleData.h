#pragma once

namespace zelta {
class TDm_Dados;
}

namespace zelta::screens {

// Fills a freshly provisioned data module with an institution, a few advisors
// and their holders, so that every window has something to show.
void fillSampleData(TDm_Dados& dados);

} // namespace zelta::screens
