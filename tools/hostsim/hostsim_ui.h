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

// Registers a class once; the window procedure receives `self` in WM_NCCREATE.
bool registerWindowClass(HINSTANCE instance, const char* className, WNDPROC procedure);

} // namespace hostsim
