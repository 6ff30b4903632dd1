#include "KeyboardState.h"

#include <QGuiApplication>
#include <qguiapplication_platform.h>

#include <dlfcn.h>

std::optional<bool> capsLockState()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return std::nullopt;
    // Looked up at run time so the program needs no X11 development files to build.
    using GetIndicatorState = int (*)(void *, unsigned int, unsigned int *);
    static const auto getState = [] {
        void *library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        return library ? reinterpret_cast<GetIndicatorState>(dlsym(library, "XkbGetIndicatorState")) : nullptr;
    }();
    if (!getState)
        return std::nullopt;
    constexpr unsigned int useCoreKeyboard = 0x0100;
    unsigned int state = 0;
    if (getState(x11->display(), useCoreKeyboard, &state) != 0)
        return std::nullopt;
    return (state & 1u) != 0;
}
