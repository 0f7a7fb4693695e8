#pragma once
// A read-only look at a host window as the exchange sees it: every child in
// the exchange's order with the text the exchange would read there, and a
// replay of what was seen on which the exchange itself runs, to tell what a
// read, a write or a cancel would do without touching the host.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostlink/host_windows.h"

namespace velmora {

enum class ChildKind { Edit, PushButton, OtherButton, Label, Other, Unknown };

// Edits and labels by class name (any class whose name holds "edit", or
// "static" or "label"), buttons by the type bits of their style.
ChildKind childKind(const std::optional<WindowFacts>& facts);

// A caption as the user reads it: mnemonic marks dropped ("&OK" is "OK",
// "&&" is "&"), blanks around it trimmed.
std::string withoutMnemonics(std::string_view caption);

struct SeenChild {
    std::optional<WindowFacts> facts;
    // As the exchange reads it; none when the child did not answer in time.
    std::optional<std::string> text;
};

// Bounds the walk over a window that keeps adding children.
inline constexpr int kMaxInspectedChildren = 1024;

struct SeenWindow {
    bool found = false;
    std::vector<SeenChild> children; // by position
    bool stopped = false;            // the last child did not answer; the walk went no further
    bool truncated = false;          // the window has more than kMaxInspectedChildren children
    bool vanished = false;           // the window was gone when the walk ended
};

// Finds the top-level window titled `title` and walks all its children in the
// exchange's order, reading each one's text with the exchange's get-text
// message. Sends nothing else: no set-text, no button message.
SeenWindow inspectHostWindow(HostWindows& windows, const std::string& title);

// What an inspection saw, as a host window titled `title`: the exchange runs
// on it as on the real one, and it records where that exchange read, wrote
// and pressed. Texts the exchange sets are kept, so its write check passes.
class ReplayedHostWindow final : public HostWindows {
public:
    ReplayedHostWindow(const SeenWindow& seen, std::string title);

    struct Trace {
        std::vector<int> reads;  // positions of the get-text messages, in order
        std::vector<int> writes; // positions of the set-text messages, in order
        int pressed = -1;        // position of the first button message
    };
    const Trace& trace() const { return trace_; }
    void clearTrace() { trace_ = {}; }

    HostHandle findTopLevel(std::string_view title) override;
    HostHandle firstChild(HostHandle window) override;
    HostHandle nextSibling(HostHandle window) override;
    bool exists(HostHandle window) override;
    std::optional<std::string> getText(HostHandle window, int maxChars, unsigned timeoutMs) override;
    bool setText(HostHandle window, std::string_view text, unsigned timeoutMs) override;
    bool sendMouse(HostHandle window, MouseMessage message, std::uintptr_t wParam, std::intptr_t lParam,
                   unsigned timeoutMs) override;
    std::optional<WindowFacts> facts(HostHandle window) override;

private:
    // The child at a handle's position; null for the window itself or a stranger.
    SeenChild* child(HostHandle handle);

    std::string title_;
    std::vector<SeenChild> children_;
    Trace trace_;
};

} // namespace velmora
