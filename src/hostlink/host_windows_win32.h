#pragma once
// The host-window interface over USER32: the host's windows are reached only
// through window messages sent with a time-out, so a hung host never blocks us
// for longer than the caller allows.

#include "hostlink/host_windows.h"

namespace velmora {

class Win32HostWindows final : public HostWindows {
public:
    HostHandle findTopLevel(std::string_view title) override;
    HostHandle firstChild(HostHandle window) override;
    HostHandle nextSibling(HostHandle window) override;
    bool exists(HostHandle window) override;
    std::optional<std::string> getText(HostHandle window, int maxChars, unsigned timeoutMs) override;
    bool setText(HostHandle window, std::string_view text, unsigned timeoutMs) override;
    bool sendMouse(HostHandle window, MouseMessage message, std::uintptr_t wParam, std::intptr_t lParam,
                   unsigned timeoutMs) override;
    std::optional<WindowFacts> facts(HostHandle window) override;
};

class Win32Clock final : public Clock {
public:
    std::uint64_t nowMs() override;
    void sleepMs(unsigned ms) override;
};

} // namespace velmora
