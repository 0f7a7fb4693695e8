#pragma once
// The few operations the host link needs from the platform's windowing, kept
// behind an interface so the exchange walk runs in native tests over a fake.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// An opaque window handle; 0 means "no window".
using HostHandle = std::uintptr_t;

enum class MouseMessage { LeftButtonDown, LeftButtonUp };

// What the platform tells of a window without a message to its thread, so
// that asking never waits on a busy host.
struct WindowFacts {
    std::string className; // "Edit", "Button", "Static", ... as the platform names it
    long long controlId = 0;
    std::uint32_t style = 0;
    bool enabled = false;
    bool visible = false;
};

class HostWindows {
public:
    virtual ~HostWindows() = default;

    // Top-level window whose title is exactly `title`, any class; 0 if none.
    virtual HostHandle findTopLevel(std::string_view title) = 0;
    virtual HostHandle firstChild(HostHandle window) = 0;
    virtual HostHandle nextSibling(HostHandle window) = 0;
    virtual bool exists(HostHandle window) = 0;

    // Get-text message asking for at most `maxChars` characters including the
    // terminator. Empty when the send fails or times out. The answer holds only
    // the characters the control reported.
    virtual std::optional<std::string> getText(HostHandle window, int maxChars, unsigned timeoutMs) = 0;
    // Set-text message; false when the send fails or times out.
    virtual bool setText(HostHandle window, std::string_view text, unsigned timeoutMs) = 0;
    // Mouse-button message with the given wParam and lParam; false on failure or time-out.
    virtual bool sendMouse(HostHandle window, MouseMessage message, std::uintptr_t wParam,
                           std::intptr_t lParam, unsigned timeoutMs) = 0;
    // Nothing when the window is gone or the platform cannot tell.
    virtual std::optional<WindowFacts> facts(HostHandle window) {
        (void)window;
        return std::nullopt;
    }
};

// Time as the core sees it: the exchange's pause and the run cycle's poll go
// through here so that tests never sleep.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t nowMs() = 0;
    virtual void sleepMs(unsigned ms) = 0;
};

} // namespace velmora
