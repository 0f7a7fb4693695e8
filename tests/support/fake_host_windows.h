#pragma once
// An in-memory host: top-level windows with ordered children (edit fields,
// labels, buttons), a log of every message sent to a child, and the faults a
// real host shows (hung fields, fields that change what is written to them,
// answers longer than asked for, buttons that survive a press).

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostlink/host_windows.h"
#include "hostlink/window_description.h"

namespace velmora {

class FakeHostWindows : public HostWindows {
public:
    enum class MessageKind { GetText, SetText, MouseDown, MouseUp };
    struct Message {
        MessageKind kind;
        HostHandle target;
        int maxChars; // GetText: the size asked for
        std::uintptr_t wParam;
        std::intptr_t lParam;
        unsigned timeoutMs;
    };

    // A host I/O parameter window: register i's edit field at its position in
    // the layout, OK and Cancel at theirs, labels everywhere else.
    struct ParameterWindow {
        HostHandle window = 0;
        std::vector<HostHandle> children; // by position
        HostHandle ok = 0, cancel = 0;
        std::array<HostHandle, kRegisterCount> fields{}; // 0 for unmapped registers
    };

    HostHandle addWindow(std::string title) { return add(std::move(title), {}, 0); }
    HostHandle addField(HostHandle parent, std::string text) {
        return add(std::move(text), {"Edit", 0, 0, true, true}, parent);
    }
    HostHandle addLabel(HostHandle parent, std::string text) {
        return add(std::move(text), {"Static", 0, 0, true, true}, parent);
    }
    // A normal button's click closes its window; one that `survives` stays however often it is pressed.
    HostHandle addButton(HostHandle parent, std::string caption, bool survives = false) {
        return add(std::move(caption), {"Button", 0, 0, true, true}, parent, survives);
    }

    // In the default layout, with `childCount` children, by default maxWindows + 1 so that a read
    // reaches maxWindows; register i's field holds `texts[i]`, "0" when empty.
    ParameterWindow addParameterWindow(std::string title, int childCount = -1,
                                       const std::array<std::string, kRegisterCount>& texts = {}) {
        const WindowLayout layout = WindowLayout::defaults();
        ParameterWindow built;
        built.window = addWindow(std::move(title));
        for (int p = 0; p < (childCount < 0 ? layout.maxWindows + 1 : childCount); ++p) {
            const auto reg = std::find(layout.controlPositions.begin(), layout.controlPositions.end(), p);
            const auto i = static_cast<std::size_t>(reg - layout.controlPositions.begin());
            HostHandle child;
            if (p == layout.okPosition)
                child = built.ok = addButton(built.window, "OK");
            else if (p == layout.cancelPosition)
                child = built.cancel = addButton(built.window, "Cancel");
            else if (i < texts.size())
                child = built.fields[i] = addField(built.window, texts[i].empty() ? "0" : texts[i]);
            else
                child = addLabel(built.window, "label");
            built.children.push_back(child);
        }
        return built;
    }

    // A window goes with its children.
    void destroy(HostHandle window) {
        if (Node* node = live(window)) {
            node->alive = false;
            for (HostHandle child : node->children) destroy(child);
        }
    }
    std::string text(HostHandle window) { return find(window)->text; }
    void setTextDirectly(HostHandle window, std::string text) { find(window)->text = std::move(text); }
    void setFacts(HostHandle window, WindowFacts facts) { find(window)->facts = std::move(facts); }
    int pressCount(HostHandle button) { return find(button)->presses; } // button-up messages delivered

    // Faults.
    void hang(HostHandle child) { find(child)->hung = true; } // its messages time out
    // The field holds change(text) after a set-text message.
    void alterSetText(HostHandle child, std::function<std::string(std::string_view)> change) {
        find(child)->alter = std::move(change);
    }
    void answerBeyondRequest(HostHandle child) { find(child)->answersBeyondRequest = true; }

    const std::vector<Message>& messages() const { return log_; }
    int findCalls() const { return findCalls_; }

    // HostWindows
    HostHandle findTopLevel(std::string_view title) override {
        ++findCalls_;
        for (std::size_t i = 0; i < nodes_.size(); ++i)
            if (nodes_[i].alive && nodes_[i].parent == 0 && nodes_[i].text == title) return kFirstHandle + i;
        return 0;
    }
    HostHandle firstChild(HostHandle window) override {
        Node* node = live(window);
        return node && !node->children.empty() ? node->children.front() : 0;
    }
    HostHandle nextSibling(HostHandle window) override {
        Node* parent = live(window) ? live(find(window)->parent) : nullptr;
        if (!parent) return 0;
        auto it = std::find(parent->children.begin(), parent->children.end(), window);
        return ++it == parent->children.end() ? 0 : *it;
    }
    bool exists(HostHandle window) override { return live(window) != nullptr; }
    std::optional<std::string> getText(HostHandle window, int maxChars, unsigned timeoutMs) override {
        Node* node = deliver({MessageKind::GetText, window, maxChars, 0, 0, timeoutMs});
        if (!node) return std::nullopt;
        // A real control copies at most maxChars - 1 characters and a terminator.
        if (node->answersBeyondRequest) return node->text;
        return node->text.substr(0, static_cast<std::size_t>(std::max(maxChars - 1, 0)));
    }
    bool setText(HostHandle window, std::string_view text, unsigned timeoutMs) override {
        Node* node = deliver({MessageKind::SetText, window, 0, 0, 0, timeoutMs});
        if (node) node->text = node->alter ? node->alter(text) : std::string(text);
        return node != nullptr;
    }
    bool sendMouse(HostHandle window, MouseMessage message, std::uintptr_t wParam, std::intptr_t lParam,
                   unsigned timeoutMs) override {
        const bool down = message == MouseMessage::LeftButtonDown;
        Node* node = deliver(
            {down ? MessageKind::MouseDown : MessageKind::MouseUp, window, 0, wParam, lParam, timeoutMs});
        if (!node) return false;
        if (node->facts.className == "Button" && !down) {
            ++node->presses;
            if (!node->survives) destroy(node->parent);
        }
        return true;
    }
    std::optional<WindowFacts> facts(HostHandle window) override {
        return live(window) ? std::optional(find(window)->facts) : std::nullopt;
    }

private:
    // Handles start well above 0 so that "no window" never names a node.
    static constexpr HostHandle kFirstHandle = 0x100;

    struct Node {
        std::string text{};
        WindowFacts facts{};
        HostHandle parent = 0;
        bool survives = false;
        std::vector<HostHandle> children{};
        bool alive = true, hung = false, answersBeyondRequest = false;
        std::function<std::string(std::string_view)> alter{};
        int presses = 0;
    };

    HostHandle add(std::string text, WindowFacts facts, HostHandle parent, bool survives = false) {
        if (parent) find(parent)->children.push_back(kFirstHandle + nodes_.size());
        nodes_.push_back({std::move(text), std::move(facts), parent, survives});
        return kFirstHandle + nodes_.size() - 1;
    }
    Node* find(HostHandle handle) { return &nodes_.at(handle - kFirstHandle); }
    Node* live(HostHandle handle) {
        // Handles below kFirstHandle wrap round to far beyond the nodes.
        return handle - kFirstHandle < nodes_.size() && find(handle)->alive ? find(handle) : nullptr;
    }
    // Logs the message; the node when it takes it, else null.
    Node* deliver(const Message& message) {
        log_.push_back(message);
        Node* node = live(message.target);
        return node && !node->hung ? node : nullptr;
    }

    std::vector<Node> nodes_;
    std::vector<Message> log_;
    int findCalls_ = 0;
};

} // namespace velmora
