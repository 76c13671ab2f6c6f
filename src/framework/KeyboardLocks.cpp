#include "framework/KeyboardLocks.h"

#include <QGuiApplication>

#if QT_CONFIG(xcb)
// After the Qt headers: Xlib's macros (None, Bool, Status...) would clash with them.
#include <X11/XKBlib.h>
#endif

namespace {

std::function<std::optional<bool>(LockKey)>& Source() {
    static std::function<std::optional<bool>(LockKey)> source;
    return source;
}

const char* IndicatorName(LockKey key) {
    switch (key) {
    case LockKey::Caps:
        return "Caps Lock";
    case LockKey::Num:
        return "Num Lock";
    case LockKey::Scroll:
        return "Scroll Lock";
    }
    return "";
}

std::optional<bool> X11LockKeyState([[maybe_unused]] LockKey key) {
#if QT_CONFIG(xcb)
    // Only the xcb platform has an X display; offscreen, Wayland and the rest answer null here.
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    // Looked up by name, not by bit: the keymap decides which indicator sits where. Atoms stay
    // valid for the life of the server, so each name is asked for once.
    static Atom atoms[3] = {0, 0, 0};
    Atom& atom = atoms[static_cast<int>(key)];
    if (atom == 0)
        atom = XInternAtom(display, IndicatorName(key), False);
    int index = 0;
    Bool on = False;
    Bool real = False;
    if (atom == 0 || !XkbGetNamedIndicator(display, atom, &index, &on, nullptr, &real))
        return std::nullopt;
    return on != False;
#else
    return std::nullopt;
#endif
}

} // namespace

std::optional<bool> IsLockKeyOn(LockKey key) {
    if (Source())
        return Source()(key);
    return X11LockKeyState(key);
}

void SetLockKeySource(std::function<std::optional<bool>(LockKey)> source) {
    Source() = std::move(source);
}
