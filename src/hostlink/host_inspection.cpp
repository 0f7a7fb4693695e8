#include "hostlink/host_inspection.h"

#include "hostlink/register_block.h"

namespace velmora {

namespace {

constexpr HostHandle kReplayedWindow = 1;
constexpr HostHandle kFirstReplayedChild = 2;

// Button styles' type bits (BS_TYPEMASK); push buttons are types 0 and 1.
constexpr std::uint32_t kButtonTypeMask = 0xF;
constexpr std::uint32_t kDefaultPushButton = 1;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool contains(std::string_view text, std::string_view part) {
    std::string lowered(text);
    for (char& c : lowered) c = lower(c);
    return lowered.find(part) != std::string::npos;
}

} // namespace

ChildKind childKind(const std::optional<WindowFacts>& facts) {
    if (!facts) return ChildKind::Unknown;
    const std::string_view name = facts->className;
    if (contains(name, "edit")) return ChildKind::Edit;
    if (contains(name, "button"))
        return (facts->style & kButtonTypeMask) <= kDefaultPushButton ? ChildKind::PushButton
                                                                      : ChildKind::OtherButton;
    if (contains(name, "static") || contains(name, "label")) return ChildKind::Label;
    return ChildKind::Other;
}

std::string withoutMnemonics(std::string_view caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        else if (caption[i] == '&')
            continue;
        out += caption[i];
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!out.empty() && blank(out.back())) out.pop_back();
    std::size_t start = 0;
    while (start < out.size() && blank(out[start])) ++start;
    return out.substr(start);
}

SeenWindow inspectHostWindow(HostWindows& windows, const std::string& title) {
    SeenWindow seen;
    const HostHandle window = title.empty() ? 0 : windows.findTopLevel(title);
    if (window == 0) return seen;
    seen.found = true;
    for (HostHandle child = windows.firstChild(window); child != 0; child = windows.nextSibling(child)) {
        if (seen.children.size() == static_cast<std::size_t>(kMaxInspectedChildren)) {
            seen.truncated = true;
            break;
        }
        SeenChild& c = seen.children.emplace_back();
        c.facts = windows.facts(child);
        c.text = readChildText(windows, child);
        // A host that does not answer would make every further message wait
        // as long again.
        if (!c.text) {
            seen.stopped = true;
            break;
        }
    }
    seen.vanished = !windows.exists(window);
    return seen;
}

ReplayedHostWindow::ReplayedHostWindow(const SeenWindow& seen, std::string title)
    : title_(std::move(title)), children_(seen.found ? seen.children : std::vector<SeenChild>{}) {}

SeenChild* ReplayedHostWindow::child(HostHandle handle) {
    if (handle < kFirstReplayedChild || handle - kFirstReplayedChild >= children_.size()) return nullptr;
    return &children_[handle - kFirstReplayedChild];
}

HostHandle ReplayedHostWindow::findTopLevel(std::string_view title) {
    return !title.empty() && title == title_ ? kReplayedWindow : 0;
}

HostHandle ReplayedHostWindow::firstChild(HostHandle window) {
    return window == kReplayedWindow && !children_.empty() ? kFirstReplayedChild : 0;
}

HostHandle ReplayedHostWindow::nextSibling(HostHandle window) {
    return child(window) && child(window + 1) ? window + 1 : 0;
}

bool ReplayedHostWindow::exists(HostHandle window) {
    return window == kReplayedWindow || child(window) != nullptr;
}

std::optional<std::string> ReplayedHostWindow::getText(HostHandle window, int maxChars, unsigned) {
    SeenChild* c = child(window);
    if (!c) return std::nullopt;
    trace_.reads.push_back(static_cast<int>(window - kFirstReplayedChild));
    if (!c->text) return std::nullopt;
    return c->text->substr(0, static_cast<std::size_t>(maxChars > 0 ? maxChars - 1 : 0));
}

bool ReplayedHostWindow::setText(HostHandle window, std::string_view text, unsigned) {
    SeenChild* c = child(window);
    if (!c) return false;
    trace_.writes.push_back(static_cast<int>(window - kFirstReplayedChild));
    // A child that did not answer a get-text would not answer this either.
    if (!c->text) return false;
    c->text = std::string(text);
    return true;
}

bool ReplayedHostWindow::sendMouse(HostHandle window, MouseMessage, std::uintptr_t, std::intptr_t, unsigned) {
    if (!child(window)) return false;
    if (trace_.pressed < 0) trace_.pressed = static_cast<int>(window - kFirstReplayedChild);
    return true;
}

std::optional<WindowFacts> ReplayedHostWindow::facts(HostHandle window) {
    const SeenChild* c = child(window);
    return c ? c->facts : std::nullopt;
}

} // namespace velmora
