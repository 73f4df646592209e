#include "toolkit/ModalKeyboard.h"

#include "toolkit/HeldKeys.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

#ifdef TARNWICK_HAVE_XCB
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#endif

namespace {

#ifdef TARNWICK_HAVE_XCB
struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// The window that `window`'s property of that atom names, or none.
xcb_window_t WindowProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t atom)
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, false, window, atom, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 4)
        return XCB_WINDOW_NONE;
    xcb_window_t named = XCB_WINDOW_NONE;
    std::memcpy(&named, xcb_get_property_value(reply.get()), sizeof named);
    return named;
}

xcb_connection_t *Connection()
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
#endif

// Whether the keyboard went nowhere as the dialog closed: without a window manager, the server hands it to the root
// window when the window that has it goes, so that is where it is exactly when the dialog still had it. A keyboard
// that the user gave another program stays there.
bool KeyboardLeftWithDialog()
{
#ifdef TARNWICK_HAVE_XCB
    xcb_connection_t *connection = Connection();
    if (!connection || ModalKeyboard::WindowManagerRunning())
        return false;
    // Asked after the dialog's unmapping on the same connection, so the server answers for after it.
    const Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return focus && (focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
                     (screen && focus->focus == screen->root));
#else
    return false;
#endif
}

} // namespace

bool ModalKeyboard::WindowManagerRunning()
{
#ifdef TARNWICK_HAVE_XCB
    xcb_connection_t *connection = Connection();
    if (!connection)
        return false;
    static constexpr char Name[] = "_NET_SUPPORTING_WM_CHECK";
    const Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, true, sizeof Name - 1, Name), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return false;
    // A window manager that ended may leave the root's property behind, naming a window that is gone.
    const xcb_window_t check = WindowProperty(connection, screen->root, atom->atom);
    return check != XCB_WINDOW_NONE && WindowProperty(connection, check, atom->atom) == check;
#else
    return false;
#endif
}

int ModalKeyboard::Exec(QDialog &dialog)
{
    HeldKeys::Install(); // a held Enter closes the dialog once, not the next one too
    const QPointer<QWidget> before = QApplication::activeWindow();
    const int result = dialog.exec();
    if (before && before->isVisible() && KeyboardLeftWithDialog())
        before->activateWindow();
    return result;
}
