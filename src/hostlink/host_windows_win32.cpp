#include "hostlink/host_windows_win32.h"

#include <windows.h>

#include <algorithm>

namespace velmora {
namespace {

// The host's register fields never hold more than 20 characters worth reading.
constexpr int textBufferSize = 21;

HWND toHwnd(HostHandle handle) {
    return reinterpret_cast<HWND>(handle);
}
HostHandle toHandle(HWND window) {
    return reinterpret_cast<HostHandle>(window);
}

} // namespace

HostHandle Win32HostWindows::findTopLevel(std::string_view title) {
    // An empty title would match the first untitled window; a title with a NUL
    // inside cannot be asked for.
    if (title.empty() || title.find('\0') != std::string_view::npos) return 0;
    const std::string name(title);
    return toHandle(FindWindowA(nullptr, name.c_str()));
}

HostHandle Win32HostWindows::firstChild(HostHandle window) {
    return window ? toHandle(GetWindow(toHwnd(window), GW_CHILD)) : 0;
}

HostHandle Win32HostWindows::nextSibling(HostHandle window) {
    return window ? toHandle(GetWindow(toHwnd(window), GW_HWNDNEXT)) : 0;
}

bool Win32HostWindows::exists(HostHandle window) {
    return window && IsWindow(toHwnd(window));
}

std::optional<std::string> Win32HostWindows::getText(HostHandle window, int maxChars, unsigned timeoutMs) {
    if (!window) return std::nullopt;
    char buffer[textBufferSize] = {};
    const int asked = std::clamp(maxChars, 0, textBufferSize);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(toHwnd(window), WM_GETTEXT, static_cast<WPARAM>(asked),
                             reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, timeoutMs, &length))
        return std::nullopt;
    // The answer need not be terminated, and a control may claim more than it
    // was given room for: trust the length only as far as the buffer goes.
    const std::size_t used =
        std::min<std::size_t>(length, asked > 0 ? static_cast<std::size_t>(asked - 1) : 0);
    buffer[used] = '\0';
    return std::string(buffer, used);
}

bool Win32HostWindows::setText(HostHandle window, std::string_view text, unsigned timeoutMs) {
    if (!window) return false;
    const std::string terminated(text);
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(toHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str()),
                               SMTO_NORMAL, timeoutMs, &result) != 0;
}

bool Win32HostWindows::sendMouse(HostHandle window, MouseMessage message, std::uintptr_t wParam,
                                 std::intptr_t lParam, unsigned timeoutMs) {
    if (!window) return false;
    const UINT id = message == MouseMessage::LeftButtonDown ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(toHwnd(window), id, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam),
                               SMTO_NORMAL, timeoutMs, &result) != 0;
}

std::optional<WindowFacts> Win32HostWindows::facts(HostHandle window) {
    const HWND hwnd = toHwnd(window);
    if (!window || !IsWindow(hwnd)) return std::nullopt;
    WindowFacts facts;
    char name[256] = {};
    const int length = GetClassNameA(hwnd, name, sizeof name);
    facts.className.assign(name, length > 0 ? static_cast<std::size_t>(length) : 0);
    facts.controlId = static_cast<long long>(GetWindowLongPtrA(hwnd, GWLP_ID));
    facts.style = static_cast<std::uint32_t>(GetWindowLongA(hwnd, GWL_STYLE));
    facts.enabled = IsWindowEnabled(hwnd) != 0;
    facts.visible = IsWindowVisible(hwnd) != 0;
    return facts;
}

std::uint64_t Win32Clock::nowMs() {
    return GetTickCount64();
}

void Win32Clock::sleepMs(unsigned ms) {
    Sleep(ms);
}

} // namespace velmora
