#include "support/fake_host_windows.h"

#include <algorithm>
#include <stdexcept>

namespace velmora {

namespace {
// Handles start well above 0 so that "no window" never names a node.
constexpr HostHandle kFirstHandle = 0x100;
// A layout that asks for an absurd walk still builds a window of sane size.
constexpr int kMaxBuiltChildren = 1024;
} // namespace

HostHandle FakeHostWindows::ParameterWindow::at(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= children.size()) return 0;
    return children[static_cast<std::size_t>(position)];
}

HostHandle FakeHostWindows::add(Node node) {
    const HostHandle handle = kFirstHandle + nodes_.size();
    const HostHandle parent = node.parent;
    nodes_.push_back(std::move(node));
    if (parent != 0) {
        Node* p = find(parent);
        if (!p) throw std::invalid_argument("FakeHostWindows: unknown parent window");
        p->children.push_back(handle);
    }
    return handle;
}

FakeHostWindows::Node* FakeHostWindows::find(HostHandle handle) {
    if (handle < kFirstHandle || handle - kFirstHandle >= nodes_.size()) return nullptr;
    return &nodes_[handle - kFirstHandle];
}

const FakeHostWindows::Node* FakeHostWindows::find(HostHandle handle) const {
    if (handle < kFirstHandle || handle - kFirstHandle >= nodes_.size()) return nullptr;
    return &nodes_[handle - kFirstHandle];
}

FakeHostWindows::Node* FakeHostWindows::live(HostHandle handle) {
    Node* node = find(handle);
    return node && node->alive ? node : nullptr;
}

HostHandle FakeHostWindows::addWindow(std::string title) {
    Node node;
    node.text = std::move(title);
    return add(std::move(node));
}

HostHandle FakeHostWindows::addField(HostHandle parent, std::string text) {
    Node node;
    node.text = std::move(text);
    node.parent = parent;
    node.facts = {"Edit", 0, 0, true, true};
    return add(std::move(node));
}

HostHandle FakeHostWindows::addLabel(HostHandle parent, std::string text) {
    Node node;
    node.text = std::move(text);
    node.parent = parent;
    node.facts = {"Static", 0, 0, true, true};
    return add(std::move(node));
}

HostHandle FakeHostWindows::addButton(HostHandle parent, std::string caption, ButtonBehaviour behaviour) {
    Node node;
    node.text = std::move(caption);
    node.parent = parent;
    node.isButton = true;
    node.behaviour = behaviour;
    node.facts = {"Button", 0, 0, true, true};
    return add(std::move(node));
}

FakeHostWindows::ParameterWindow
FakeHostWindows::addParameterWindow(std::string title, const WindowLayout& layout, int childCount,
                                    const std::array<std::string, kRegisterCount>& registerTexts) {
    if (childCount < 0) childCount = std::clamp(layout.maxWindows, -1, kMaxBuiltChildren - 1) + 1;
    childCount = std::min(childCount, kMaxBuiltChildren);

    ParameterWindow built;
    built.window = addWindow(std::move(title));
    for (int p = 0; p < childCount; ++p) {
        HostHandle child = 0;
        if (p == layout.okPosition) {
            child = built.ok = addButton(built.window, "OK");
        } else if (p == layout.cancelPosition) {
            child = built.cancel = addButton(built.window, "Cancel");
        } else {
            for (std::size_t i = 0; i < layout.controlPositions.size(); ++i) {
                if (layout.controlPositions[i] != p) continue;
                if (child == 0)
                    child = addField(built.window, registerTexts[i].empty() ? "0" : registerTexts[i]);
                built.fields[i] = child;
            }
            if (child == 0) child = addLabel(built.window, "label");
        }
        built.children.push_back(child);
    }
    return built;
}

void FakeHostWindows::destroy(HostHandle window) {
    Node* node = live(window);
    if (!node) return;
    // Children die with their window but stay in its (dead) list.
    std::vector<HostHandle> pending{window};
    while (!pending.empty()) {
        Node* n = find(pending.back());
        pending.pop_back();
        n->alive = false;
        pending.insert(pending.end(), n->children.begin(), n->children.end());
    }
    if (Node* parent = find(node->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
}

std::string FakeHostWindows::text(HostHandle window) const {
    const Node* node = find(window);
    return node ? node->text : std::string();
}

void FakeHostWindows::setTextDirectly(HostHandle window, std::string text) {
    if (Node* node = find(window)) node->text = std::move(text);
}

void FakeHostWindows::setFacts(HostHandle window, WindowFacts facts) {
    if (Node* node = find(window)) node->facts = std::move(facts);
}

int FakeHostWindows::pressCount(HostHandle button) const {
    const Node* node = find(button);
    return node ? node->presses : 0;
}

void FakeHostWindows::hang(HostHandle child) {
    if (Node* node = find(child)) node->hung = true;
}

void FakeHostWindows::closeAfterMessages(HostHandle window, int count) {
    if (Node* node = find(window)) node->closeAfter = count;
}

void FakeHostWindows::ignoreSetText(HostHandle child) {
    if (Node* node = find(child)) node->ignoresSetText = true;
}

void FakeHostWindows::alterSetText(HostHandle child, std::function<std::string(std::string_view)> change) {
    if (Node* node = find(child)) node->alter = std::move(change);
}

void FakeHostWindows::answerBeyondRequest(HostHandle child) {
    if (Node* node = find(child)) node->answersBeyondRequest = true;
}

void FakeHostWindows::throwOnMessage(HostHandle child) {
    if (Node* node = find(child)) node->throws = true;
}

std::vector<FakeHostWindows::Message> FakeHostWindows::messagesTo(HostHandle target) const {
    std::vector<Message> out;
    for (const Message& m : log_)
        if (m.target == target) out.push_back(m);
    return out;
}

void FakeHostWindows::countMessage(const Node& child) {
    HostHandle top = child.parent;
    while (const Node* n = find(top)) {
        if (n->parent == 0) break;
        top = n->parent;
    }
    Node* window = live(top);
    if (!window || window->closeAfter < 0) return;
    if (window->closeAfter > 0) --window->closeAfter;
    if (window->closeAfter == 0) destroy(top);
}

FakeHostWindows::Node* FakeHostWindows::deliver(Message message) {
    Node* node = live(message.target);
    const bool throws = node && node->throws;
    message.delivered = node && !node->hung && !throws;
    log_.push_back(std::move(message));
    if (throws) throw std::runtime_error("FakeHostWindows: injected failure");
    return log_.back().delivered ? node : nullptr;
}

HostHandle FakeHostWindows::findTopLevel(std::string_view title) {
    ++findCalls_;
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].alive && nodes_[i].parent == 0 && nodes_[i].text == title) return kFirstHandle + i;
    return 0;
}

HostHandle FakeHostWindows::firstChild(HostHandle window) {
    Node* node = live(window);
    return node && !node->children.empty() ? node->children.front() : 0;
}

HostHandle FakeHostWindows::nextSibling(HostHandle window) {
    Node* node = live(window);
    if (!node) return 0;
    Node* parent = live(node->parent);
    if (!parent) return 0;
    auto& siblings = parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), window);
    if (it == siblings.end() || ++it == siblings.end()) return 0;
    return *it;
}

bool FakeHostWindows::exists(HostHandle window) {
    return live(window) != nullptr;
}

std::optional<std::string> FakeHostWindows::getText(HostHandle window, int maxChars, unsigned timeoutMs) {
    Message m{MessageKind::GetText, window, {}, maxChars, 0, 0, timeoutMs};
    Node* node = deliver(std::move(m));
    if (!node) return std::nullopt;
    // A real control copies at most maxChars - 1 characters and a terminator.
    std::string answer = node->text;
    if (!node->answersBeyondRequest)
        answer = answer.substr(0, static_cast<std::size_t>(std::max(maxChars - 1, 0)));
    countMessage(*node);
    return answer;
}

bool FakeHostWindows::setText(HostHandle window, std::string_view text, unsigned timeoutMs) {
    Message m{MessageKind::SetText, window, std::string(text), 0, 0, 0, timeoutMs};
    Node* node = deliver(std::move(m));
    if (!node) return false;
    if (node->alter)
        node->text = node->alter(text);
    else if (!node->ignoresSetText)
        node->text = std::string(text);
    countMessage(*node);
    return true;
}

bool FakeHostWindows::sendMouse(HostHandle window, MouseMessage message, std::uintptr_t wParam,
                                std::intptr_t lParam, unsigned timeoutMs) {
    const bool down = message == MouseMessage::LeftButtonDown;
    Message m{down ? MessageKind::MouseDown : MessageKind::MouseUp, window, {}, 0, wParam, lParam, timeoutMs};
    Node* node = deliver(std::move(m));
    if (!node) return false;
    countMessage(*node);
    if (!node->isButton || !node->alive) return true;
    if (!down) ++node->presses;
    const bool closes = (down && node->behaviour == ButtonBehaviour::ClosesWindowOnPress) ||
                        (!down && node->behaviour == ButtonBehaviour::ClosesWindowOnRelease);
    if (closes) destroy(node->parent);
    return true;
}

std::optional<WindowFacts> FakeHostWindows::facts(HostHandle window) {
    const Node* node = live(window);
    if (!node) return std::nullopt;
    return node->facts;
}

} // namespace velmora
