#pragma once
// The stand-in for the host's I/O parameter window: register fields, labels
// and OK/Cancel at the child positions of the default window description, or
// in the order a layout file gives, with the faults a test asks for.

#include <windows.h>

#include <array>

#include "hostsim_options.h"
#include "hostsim_result.h"

namespace hostsim {

class ParameterWindow {
public:
    // Creates and shows the window; null when it cannot be made. The window
    // owns the object and deletes it when it is destroyed. With quitOnClose
    // its closing ends the message loop (exit code 0, or 3 when the result
    // file could not be written).
    // `at` places the window's top-left corner; null lets the system choose.
    static HWND open(HINSTANCE instance, const Options& options, bool quitOnClose, int show,
                     const POINT* at = nullptr);

    ParameterWindow(const ParameterWindow&) = delete;
    ParameterWindow& operator=(const ParameterWindow&) = delete;

private:
    ParameterWindow(const Options& options, bool quitOnClose);

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK fieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    static LRESULT CALLBACK buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);

    // message handlers
    void createChildren();
    // A get-text or set-text from outside; applies the hang, freeze and vanish faults.
    LRESULT onHostText(HWND field, int registerIndex, UINT message, WPARAM wParam, LPARAM lParam);
    // Called on every press of OK (IDOK) or Cancel (IDCANCEL); may destroy the window.
    void onPress(int buttonId);
    void onDestroy();
    void showCounters();

    // members
    Options options_;
    bool quitOnClose_;
    HWND window_ = nullptr;
    std::array<HWND, kRegisterFields> fields_{};
    HWND counters_ = nullptr;
    int textMessages_ = 0;
    bool hangDone_ = false;
    bool inMouseUp_ = false;
    // Our own reads of the fields are not host traffic and are not counted.
    bool readingOwnFields_ = false;
    WindowResult result_;
};

} // namespace hostsim
