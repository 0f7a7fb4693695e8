#pragma once
// Small pieces both hostsim windows share.

#include <windows.h>

namespace hostsim {

struct Box {
    int x, y, width, height;
};

// The system's message font, made once per process.
HFONT uiFont();

// A child control in that font. Children are linked below their elder
// siblings, so creation order is the order GetWindow(GW_HWNDNEXT) walks.
HWND createChild(HWND parent, const char* className, const char* text, DWORD style, Box box, int id,
                 DWORD exStyle = 0);

// A top-level window whose client area is width x height.
HWND createTopLevel(HINSTANCE instance, const char* className, const char* title, int width, int height,
                    void* self);

// A window procedure's work, run so that nothing unwinds through the system:
// on an exception the program's message loop ends (exit code 4) and
// `fallback` answers the message.
template <class Work, class Fallback>
LRESULT guarded(Work work, Fallback fallback) noexcept {
    try {
        return work();
    } catch (...) {
        PostQuitMessage(4);
        return fallback();
    }
}

// Registers a class once; the window procedure receives `self` in WM_NCCREATE.
bool registerWindowClass(HINSTANCE instance, const char* className, WNDPROC procedure);

} // namespace hostsim
