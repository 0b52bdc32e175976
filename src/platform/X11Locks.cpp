// Kept apart: the X11 headers define macros (None, Bool, ...) that clash with Qt names.
#include "platform/QtPlatform.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>

namespace quillory {

LockState SystemKeyboardLocks::state() const {
    LockState state;
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return state; // offscreen, Wayland: unknown, the panels stay empty
    Display* display = x11->display();
    auto named = [display](const char* name) -> std::optional<bool> {
        const Atom atom = XInternAtom(display, name, True);
        if (atom == 0)
            return std::nullopt;
        Bool on = False;
        if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
            return std::nullopt;
        return on == True;
    };
    state.numLock = named("Num Lock");
    state.capsLock = named("Caps Lock");
    return state;
}

} // namespace quillory
