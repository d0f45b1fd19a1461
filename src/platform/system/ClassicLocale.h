#pragma once

#include <locale.h>

namespace plat::sys {

// The C locale on the calling thread while it lives, whatever the process's
// locale is. Qt takes the user's locale for the C library at start, and a
// library that writes numbers with printf would then write "0,7" on a
// Brazilian desktop where a file format wants "0.7". Other threads keep the
// process's locale; guards may nest.
class ClassicLocale {
public:
    ClassicLocale();
    ~ClassicLocale();
    ClassicLocale(const ClassicLocale&) = delete;
    ClassicLocale& operator=(const ClassicLocale&) = delete;

    // The C locale itself, for the C library's *_l functions.
    static locale_t handle();

private:
    locale_t m_previous;
};

} // namespace plat::sys
