#include "platform/ui/WindowChrome.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractPrintDialog>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QTextEdit>
#include <QWindow>

#include <algorithm>

#if ZELTA_WITH_XCB
#include <QGuiApplication>
#include "platform/ui/XcbSupport.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#endif

namespace plat::ui {

namespace {

// Stops the ways of closing a dialog that do not go through its buttons: the
// window manager's close (a spontaneous close event) and Esc. A close asked for
// by the program itself (close(), accept(), reject()) passes.
class CloseKeeper : public QObject {
public:
    CloseKeeper(QDialog* dialog, QAbstractButton* cancel) : QObject(dialog), m_cancel(cancel) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent())
            return false;
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            pressCancel();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                if (!key->isAutoRepeat())
                    pressCancel();
                return true;
            }
        }
        return false;
    }

private:
    void pressCancel()
    {
        if (m_cancel && m_cancel->isEnabled() && m_cancel->isVisible())
            m_cancel->click();
    }

    QPointer<QAbstractButton> m_cancel;
};

// Keeps a modal window in the state the program showed it in. Some window
// managers offer minimise and maximise on every window whatever the window
// asks for, and minimising a modal window there iconifies the whole program
// with it, leaving the user nothing to click: a change made by the window
// manager is undone at once, and a window brought back is raised and active.
class StateKeeper : public QObject {
public:
    explicit StateKeeper(QWidget* window) : QObject(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWidget*>(watched);
        if ((event->type() == QEvent::Show || (event->type() == QEvent::WindowStateChange && window->isVisible()))
            && !event->spontaneous()) {
            // Shown, or its state changed by the program itself.
            m_wanted = window->windowState() & ~Qt::WindowActive;
        } else if (event->type() == QEvent::WindowStateChange && event->spontaneous() && window->isVisible()) {
            const Qt::WindowStates now = window->windowState() & ~Qt::WindowActive;
            if (now != m_wanted) {
                QPointer<QWidget> guard(window);
                const Qt::WindowStates wanted = m_wanted;
                QMetaObject::invokeMethod(
                    this,
                    [guard, wanted] {
                        if (!guard || !guard->isVisible())
                            return;
                        guard->setWindowState(wanted);
                        guard->raise();
                        guard->activateWindow();
                    },
                    Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    Qt::WindowStates m_wanted = Qt::WindowNoState;
};

#if ZELTA_WITH_XCB
using xcb::atomNamed;
using xcb::Reply;

// The window that the running window manager names itself on
// (_NET_SUPPORTING_WM_CHECK of the root window), or none.
xcb_window_t windowManagerCheck(xcb_connection_t* c, xcb_window_t root)
{
    const xcb_atom_t check = atomNamed(c, "_NET_SUPPORTING_WM_CHECK");
    const Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4)
        return XCB_WINDOW_NONE;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
}

// The name the running window manager gives itself (_NET_WM_NAME), empty when
// none runs or it gives none.
QString windowManagerName(xcb_connection_t* c, xcb_window_t window)
{
    const Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!geometry)
        return {};
    const xcb_window_t wm = windowManagerCheck(c, geometry->root);
    if (wm == XCB_WINDOW_NONE)
        return {};
    const Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, wm, atomNamed(c, "_NET_WM_NAME"), atomNamed(c, "UTF8_STRING"), 0, 64),
                               nullptr));
    if (!r)
        return {};
    return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(r.get())), xcb_get_property_value_length(r.get()));
}

// Openbox draws minimise and maximise on every window of the normal, dialog
// and utility kinds whatever its Motif hints and size hints ask (a window of
// fixed size still shows a maximise box that does nothing), and leaves them
// off only the torn-off kinds, menus and toolbars. A dialog without border
// icons is declared a toolbar there, just before it is mapped: it keeps its
// title, close, modality, focus and place, and being transient it was off the
// task bar already. Other window managers honour the hints and are told the
// truth.
void askForNoWindowButtons(QWidget* window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !window->internalWinId())
        return;
    xcb_connection_t* c = x11->connection();
    const auto id = xcb_window_t(window->internalWinId());
    if (windowManagerName(c, id) != QLatin1String("Openbox"))
        return;
    const xcb_atom_t toolbar = atomNamed(c, "_NET_WM_WINDOW_TYPE_TOOLBAR");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atomNamed(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &toolbar);
    xcb_flush(c);
}

#else
void askForNoWindowButtons(QWidget*) {}
#endif

// Before each showing of a dialog without border icons (Qt sets the window's
// kind again whenever its flags change), tells the window manager so in the
// way that manager understands. A dialog that opens maximised (or shows
// unmaximised to be maximised once mapped, FrameFitter) is left as it is: a
// toolbar is not maximised.
class ButtonKeeper : public QObject {
public:
    explicit ButtonKeeper(QWidget* window) : QObject(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && !event->spontaneous() && watched == parent()
            && !(window->windowState() & Qt::WindowMaximized) && !window->property("zeltaShownMaximised").toBool())
            askForNoWindowButtons(window);
        return false;
    }
};

// The text without its access-key marks ("&&" stands for one "&").
QString withoutAccessKey(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

// The letter after a single "&", or a null character.
QChar accessKeyOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return text[i + 1].toUpper();
        ++i;
    }
    return QChar();
}

bool canBeKey(QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); }

// The position in text of the letter to mark: the first free one that begins a
// word, else the first free one anywhere; -1 when every letter is taken.
qsizetype pickAccessKey(const QString& text, const QSet<QChar>& taken)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool startsWord = i == 0 || !text[i - 1].isLetterOrNumber();
        if (startsWord && canBeKey(text[i]) && !taken.contains(text[i].toUpper()))
            return i;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (canBeKey(text[i]) && !taken.contains(text[i].toUpper()))
            return i;
    }
    return -1;
}

bool takesFocus(const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) != 0; }

// A group box is worth a key when the key has somewhere to go.
bool holdsAControl(const QGroupBox* box)
{
    const QList<QWidget*> children = box->findChildren<QWidget*>();
    return std::any_of(children.begin(), children.end(), takesFocus);
}

// The windows Qt builds itself carry their own access keys and names.
bool isQtsOwn(const QWidget* window)
{
    return qobject_cast<const QMessageBox*>(window) || qobject_cast<const QFileDialog*>(window)
           || qobject_cast<const QAbstractPrintDialog*>(window);
}

// A text shown by a widget that can carry an access key, read and written.
struct KeyedText {
    QWidget* widget;
    QString text;
    void set(const QString& t) const
    {
        if (auto* b = qobject_cast<QAbstractButton*>(widget))
            b->setText(t);
        else if (auto* g = qobject_cast<QGroupBox*>(widget))
            g->setTitle(t);
        else if (auto* l = qobject_cast<QLabel*>(widget))
            l->setText(t);
    }
};

bool isInput(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w)
           || qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QComboBox*>(w)
           || qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QProgressBar*>(w);
}

} // namespace

void assignAccessKeys(QWidget* window)
{
    if (isQtsOwn(window))
        return;
    QList<KeyedText> buttons, boxes, labels;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            // Radio buttons are reached through their group's key and the
            // arrow keys.
            if (!qobject_cast<QRadioButton*>(b) && !b->text().isEmpty())
                (qobject_cast<QCheckBox*>(b) ? boxes : buttons) << KeyedText{b, b->text()};
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            if (!g->title().isEmpty() && holdsAControl(g))
                boxes << KeyedText{g, g->title()};
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->buddy() && takesFocus(l->buddy()) && l->textFormat() != Qt::RichText && !l->text().isEmpty())
                labels << KeyedText{l, l->text()};
        }
    }
    const QList<KeyedText> all = buttons + boxes + labels;
    QSet<QChar> taken;
    for (const KeyedText& k : all) {
        if (const QChar key = accessKeyOf(k.text); !key.isNull())
            taken.insert(key);
    }
    for (const KeyedText& k : all) {
        if (!accessKeyOf(k.text).isNull())
            continue;
        QString text = k.text;
        text.replace(QStringLiteral("&"), QStringLiteral("&&"));
        const qsizetype at = pickAccessKey(text, taken);
        if (at < 0)
            continue;
        taken.insert(text[at].toUpper());
        text.insert(at, u'&');
        k.set(text);
    }
}

void nameForAssistiveTechnology(QWidget* window)
{
    if (isQtsOwn(window))
        return;
    QHash<QWidget*, QString> buddies;
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (l->buddy())
            buddies.insert(l->buddy(), withoutAccessKey(l->text()));
    }
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->accessibleName().isEmpty())
            continue;
        QString name;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (b->text().isEmpty())
                name = b->toolTip();
        } else if (isInput(w)) {
            name = buddies.value(w);
            for (QWidget* up = w->parentWidget(); name.isEmpty() && up && up != window; up = up->parentWidget()) {
                if (auto* g = qobject_cast<QGroupBox*>(up))
                    name = withoutAccessKey(g->title());
            }
            if (name.isEmpty())
                name = w->toolTip();
        }
        if (!name.isEmpty())
            w->setAccessibleName(name.trimmed());
    }
}

void prepareDialog(QDialog* dialog)
{
    // A window opened over no window of its own is still kept above the one
    // active, so that no window manager can hide it behind or iconify it apart.
    if (!dialog->parentWidget()) {
        QWidget* owner = QApplication::activeModalWidget();
        if (!owner || owner == dialog)
            owner = QApplication::activeWindow();
        if (owner && owner != dialog) {
            dialog->winId();
            if (QWindow* handle = dialog->windowHandle(); handle && owner->window()->windowHandle())
                handle->setTransientParent(owner->window()->windowHandle());
        }
    }
    // Shown, a dialog that was not moved is centred on the window it opens
    // over at its final size (on the screen when there is none).
    dialog->setAttribute(Qt::WA_Moved, false);
    if (!dialog->property("zeltaStateKept").toBool()) {
        dialog->setProperty("zeltaStateKept", true);
        dialog->installEventFilter(new StateKeeper(dialog));
    }
    fillScreenWhenMaximised(dialog);
    assignAccessKeys(dialog);
    nameForAssistiveTechnology(dialog);
}

void removeBorderIcons(QWidget* window)
{
    const Qt::WindowFlags type = window->windowFlags() & Qt::WindowType_Mask;
    window->setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (type == Qt::Dialog && !window->property("zeltaButtonsKept").toBool()) {
        window->setProperty("zeltaButtonsKept", true);
        window->installEventFilter(new ButtonKeeper(window));
    }
}

void setNoBorderIcons(QDialog* dialog, QAbstractButton* cancelButton)
{
    removeBorderIcons(dialog);
    dialog->installEventFilter(new CloseKeeper(dialog, cancelButton));
}

} // namespace plat::ui
