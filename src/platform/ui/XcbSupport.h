#pragma once

// Small helpers for the X11 calls of the window chrome and the frame fitting;
// included only where ZELTA_WITH_XCB is set.

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace plat::ui::xcb {

// xcb hands out replies allocated with malloc; this frees them with the scope.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

inline xcb_atom_t atomNamed(xcb_connection_t* c, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace plat::ui::xcb
