#include "platform/system/ClassicLocale.h"

namespace plat::sys {

locale_t ClassicLocale::handle()
{
    // Made once and kept for the process's life: threads may hold it at any time.
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

// Without a locale object (no memory at the first call) the thread keeps the
// one it had: uselocale(nullptr) only asks.
ClassicLocale::ClassicLocale() : m_previous(::uselocale(handle())) {}

ClassicLocale::~ClassicLocale()
{
    if (m_previous)
        ::uselocale(m_previous);
}

} // namespace plat::sys
