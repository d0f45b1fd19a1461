#pragma once

#include "platform/system/Error.h"

#include <optional>

namespace zelta::test {

// The message of the plat::Error of the given kind that f throws; nothing
// when f returns, or throws another kind.
template <class F>
std::optional<QString> thrown(plat::Error::Kind kind, F&& f)
{
    try {
        f();
    } catch (const plat::Error& e) {
        if (e.kind() == kind)
            return e.message();
    }
    return std::nullopt;
}

// True when f throws plat::Error of the given kind.
template <class F>
bool throws(plat::Error::Kind kind, F&& f)
{
    return thrown(kind, std::forward<F>(f)).has_value();
}

// The message of any plat::Error that f throws; empty when f returns.
template <class F>
QString errorOf(F&& f)
{
    try {
        f();
    } catch (const plat::Error& e) {
        return e.message();
    }
    return QString();
}

} // namespace zelta::test
