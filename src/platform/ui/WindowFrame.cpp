// How a window shown maximised fills the screen: the frame the window manager
// draws around it is asked for before it is mapped, and where the window
// manager will not maximise it the window fits itself within the free area.
#include "platform/ui/WindowChrome.h"
#include "platform/ui/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#if ZELTA_WITH_XCB
#include "platform/ui/XcbSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>
#endif

namespace plat::ui {

namespace {

#if ZELTA_WITH_XCB
using xcb::atomNamed;
using xcb::Reply;

// Whether the running window manager lists the atom among what it supports
// (_NET_SUPPORTED of the root window).
bool windowManagerSupports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t atom)
{
    const Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, atomNamed(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096), nullptr));
    if (!r || r->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
    const int count = xcb_get_property_value_length(r.get()) / 4;
    return std::find(atoms, atoms + count, atom) != atoms + count;
}

// The window's _NET_FRAME_EXTENTS (left, right, top, bottom), when set.
std::optional<QMargins> frameExtentsSet(xcb_connection_t* c, xcb_window_t id, xcb_atom_t extents)
{
    const Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, id, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) != 16)
        return std::nullopt;
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

// The title bar and borders the window manager will draw around the window,
// in the window's own pixels. Before a window is mapped its manager has not
// framed it yet, so the extents are asked for (_NET_REQUEST_FRAME_EXTENTS)
// and waited for briefly. None when no window manager answers.
QMargins frameExtents(QWidget* window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return {};
    xcb_connection_t* c = x11->connection();
    const auto id = xcb_window_t(window->winId());
    const Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr));
    if (!geometry)
        return {};
    const xcb_atom_t extents = atomNamed(c, "_NET_FRAME_EXTENTS");
    std::optional<QMargins> found = frameExtentsSet(c, id, extents);
    const xcb_atom_t request = atomNamed(c, "_NET_REQUEST_FRAME_EXTENTS");
    if (!found && windowManagerSupports(c, geometry->root, request)) {
        xcb_client_message_event_t ask{};
        ask.response_type = XCB_CLIENT_MESSAGE;
        ask.format = 32;
        ask.window = id;
        ask.type = request;
        xcb_send_event(c, 0, geometry->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&ask));
        xcb_flush(c);
        for (int tries = 0; !found && tries < 50; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            found = frameExtentsSet(c, id, extents);
        }
    }
    if (!found)
        return {};
    const qreal ratio = window->devicePixelRatioF();
    return QMargins(qRound(found->left() / ratio), qRound(found->top() / ratio), qRound(found->right() / ratio),
                    qRound(found->bottom() / ratio));
}

// Whether the window manager lets the window be maximised
// (_NET_WM_ALLOWED_ACTIONS, set once it manages the window). A window manager
// that does not allow it may still mark the window maximised without giving
// it the screen (xfwm4, for a window without a maximise box). Taken as
// allowed when the window manager says nothing.
bool maximiseAllowed(QWidget* window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !window->internalWinId())
        return true;
    xcb_connection_t* c = x11->connection();
    const Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, xcb_window_t(window->internalWinId()),
                                                atomNamed(c, "_NET_WM_ALLOWED_ACTIONS"), XCB_ATOM_ATOM, 0, 64),
                               nullptr));
    if (!r || r->format != 32 || r->type == XCB_ATOM_NONE)
        return true;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
    const int count = xcb_get_property_value_length(r.get()) / 4;
    const xcb_atom_t vertical = atomNamed(c, "_NET_WM_ACTION_MAXIMIZE_VERT");
    const xcb_atom_t horizontal = atomNamed(c, "_NET_WM_ACTION_MAXIMIZE_HORZ");
    return std::find(atoms, atoms + count, vertical) != atoms + count
           || std::find(atoms, atoms + count, horizontal) != atoms + count;
}

// Takes the maximised marks off the _NET_WM_STATE of a window not yet mapped.
// Qt adds the states it knows to what the property holds before mapping but
// never takes one off, so a window once marked maximised stays marked.
void dropMaximisedMarks(QWidget* window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !window->internalWinId())
        return;
    xcb_connection_t* c = x11->connection();
    const auto id = xcb_window_t(window->internalWinId());
    const xcb_atom_t property = atomNamed(c, "_NET_WM_STATE");
    const Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, id, property, XCB_ATOM_ATOM, 0, 64), nullptr));
    if (!r || r->format != 32)
        return;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
    std::vector<xcb_atom_t> kept(atoms, atoms + xcb_get_property_value_length(r.get()) / 4);
    const xcb_atom_t vertical = atomNamed(c, "_NET_WM_STATE_MAXIMIZED_VERT");
    const xcb_atom_t horizontal = atomNamed(c, "_NET_WM_STATE_MAXIMIZED_HORZ");
    std::erase_if(kept, [&](xcb_atom_t a) { return a == vertical || a == horizontal; });
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_ATOM, 32, uint32_t(kept.size()), kept.data());
    xcb_flush(c);
}
#else
QMargins frameExtents(QWidget*) { return {}; }
bool maximiseAllowed(QWidget*) { return true; }
void dropMaximisedMarks(QWidget*) {}
#endif

QScreen* screenOf(QWidget* window)
{
    if (const QWidget* owner = window->parentWidget())
        return owner->window()->screen();
    return window->screen();
}

// A window shown maximised that asks for no maximise box, on X11: a window
// manager may offer no maximise for it and then, asked to maximise it before
// it is mapped, mark it maximised and leave it at its own size for good
// (xfwm4, whose title bar then pushes the window's bottom off the screen),
// nor let it be resized any more. So it is shown unmaximised, its frame as
// the window manager announced it (frameExtents) filling the screen's free
// area but for a pixel (clientAlmostFilling); once mapped, where the window
// manager allows maximising it after all (openbox), it is maximised.
class FrameFitter : public QObject {
public:
    explicit FrameFitter(QWidget* window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("zeltaFrameFitter"));
    }

    void setFrame(const QMargins& extents) { m_extents = extents; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Show && !event->spontaneous()) {
            // Told to the border buttons' keeper (ButtonKeeper), which
            // sees the show after this.
            const bool fits = fitsItself();
            m_window->setProperty("zeltaShownMaximised", fits);
            if (fits)
                showFillingTheArea();
        } else if (m_pending && event->type() == QEvent::Expose && watched == m_window->windowHandle()
                   && m_window->windowHandle()->isExposed()) {
            m_pending = false;
            QMetaObject::invokeMethod(this, &FrameFitter::maximiseWhereAllowed, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool fitsItself() const
    {
        const Qt::WindowFlags flags = m_window->windowFlags();
        return (m_window->windowState() & Qt::WindowMaximized) && (flags & Qt::CustomizeWindowHint)
               && !(flags & Qt::WindowMaximizeButtonHint) && m_window->windowHandle() && qGuiApp
               && qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    }

    // Called as the window shows, before it is mapped.
    void showFillingTheArea()
    {
        const QScreen* screen = screenOf(m_window);
        if (!screen)
            return;
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMaximized);
        dropMaximisedMarks(m_window);
        m_window->setGeometry(clientAlmostFilling(screen->availableGeometry(), m_extents));
        QWindow* handle = m_window->windowHandle();
        handle->removeEventFilter(this);
        handle->installEventFilter(this);
        m_pending = true;
    }

    void maximiseWhereAllowed()
    {
        if (m_window->isVisible() && maximiseAllowed(m_window))
            m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    }

    QMargins m_extents;
    QWidget* m_window;
    bool m_pending = false;
};

} // namespace

void fillScreenWhenMaximised(QWidget* window)
{
    if (!(window->windowState() & Qt::WindowMaximized) || window->isVisible())
        return;
    const QScreen* screen = screenOf(window);
    if (!screen)
        return;
    auto* fitter = static_cast<FrameFitter*>(
        window->findChild<QObject*>(QStringLiteral("zeltaFrameFitter"), Qt::FindDirectChildrenOnly));
    if (!fitter) {
        fitter = new FrameFitter(window);
        window->installEventFilter(fitter);
    }
    const QMargins extents = frameExtents(window);
    fitter->setFrame(extents);
    // The frame, not the client area, fills the free area, should a window
    // manager leave the window at this size. Resizing a window drops its
    // maximised state: it is set again, so that a window manager that
    // maximises still fits the window and its frame to the screen itself.
    const Qt::WindowStates state = window->windowState();
    window->resize(clientFilling(screen->availableGeometry(), extents).size());
    window->setWindowState(state);
}

} // namespace plat::ui
