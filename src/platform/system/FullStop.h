#pragma once

#include <QString>

namespace plat::sys {

// The error report's text rule: a full stop is added when the last character
// sorts after "." in the character set; "abc" becomes "abc.", "abc." and
// "abc!" stay as they are. Windows and the command line report errors alike.
inline QString withFullStop(const QString& text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

} // namespace plat::sys
