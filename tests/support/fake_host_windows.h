#pragma once
// An in-memory host for tests and demos: top-level windows with ordered
// children (edit fields, labels, buttons), a log of every message sent to a
// child, and the faults a real host shows (hangs, vanishing windows, short
// windows, fields that ignore or alter text, buttons that survive a press).

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hostlink/host_windows.h"
#include "support/fake_clock.h"
#include "hostlink/window_description.h"

namespace velmora {

class FakeHostWindows : public HostWindows {
public:
    enum class ButtonBehaviour {
        ClosesWindowOnRelease, // a normal OK/Cancel button: the click closes the window
        ClosesWindowOnPress,   // the window is gone between button-down and button-up
        Survives,              // the window stays open however often it is pressed
    };

    enum class MessageKind { GetText, SetText, MouseDown, MouseUp };

    struct Message {
        MessageKind kind;
        HostHandle target;
        std::string text; // SetText: the text sent
        int maxChars = 0; // GetText: the size asked for
        std::uintptr_t wParam = 0;
        std::intptr_t lParam = 0;
        unsigned timeoutMs = 0;
        bool delivered = false; // false when the target was gone, hung or threw
    };

    // A host I/O parameter window built from a layout: register i's edit field
    // at its position (unmapped registers get none), OK and Cancel buttons at
    // theirs, labels everywhere else.
    struct ParameterWindow {
        HostHandle window = 0;
        std::vector<HostHandle> children; // by position
        HostHandle ok = 0;
        HostHandle cancel = 0;
        std::array<HostHandle, kRegisterCount> fields{}; // 0 for unmapped registers

        HostHandle at(int position) const;
    };

    HostHandle addWindow(std::string title);
    HostHandle addField(HostHandle parent, std::string text);
    HostHandle addLabel(HostHandle parent, std::string text);
    HostHandle addButton(HostHandle parent, std::string caption,
                         ButtonBehaviour behaviour = ButtonBehaviour::ClosesWindowOnRelease);

    // `childCount` children (by default maxWindows + 1, so a read reaches
    // maxWindows); register i's field holds `registerTexts[i]`, "0" when empty.
    ParameterWindow addParameterWindow(std::string title,
                                       const WindowLayout& layout = WindowLayout::defaults(),
                                       int childCount = -1,
                                       const std::array<std::string, kRegisterCount>& registerTexts = {});

    // A top-level window goes with its children; a child leaves its parent's list.
    void destroy(HostHandle window);
    std::string text(HostHandle window) const;
    void setTextDirectly(HostHandle window, std::string text);
    // Fields are "Edit", labels "Static", buttons "Button" push buttons, all
    // enabled and visible, with control id 0, unless set here.
    void setFacts(HostHandle window, WindowFacts facts);
    int pressCount(HostHandle button) const; // button-up messages delivered

    // Faults.
    void hang(HostHandle child);                           // text and mouse messages time out
    void closeAfterMessages(HostHandle window, int count); // after `count` messages to its children
    void ignoreSetText(HostHandle child);                  // takes the message, keeps its text
    void alterSetText(HostHandle child, std::function<std::string(std::string_view)> change);
    void answerBeyondRequest(HostHandle child); // get-text ignores the size asked for
    void throwOnMessage(HostHandle child);      // the platform layer throws

    const std::vector<Message>& messages() const { return log_; }
    std::vector<Message> messagesTo(HostHandle target) const;
    void clearMessages() { log_.clear(); }
    int findCalls() const { return findCalls_; }

    // HostWindows
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
    struct Node {
        std::string text;
        WindowFacts facts;
        HostHandle parent = 0;
        std::vector<HostHandle> children;
        bool alive = true;
        bool isButton = false;
        ButtonBehaviour behaviour = ButtonBehaviour::ClosesWindowOnRelease;
        bool hung = false;
        bool ignoresSetText = false;
        bool answersBeyondRequest = false;
        bool throws = false;
        std::function<std::string(std::string_view)> alter;
        int closeAfter = -1; // top-level: messages to children left before it closes
        int presses = 0;
    };

    HostHandle add(Node node);
    Node* find(HostHandle handle);
    const Node* find(HostHandle handle) const;
    Node* live(HostHandle handle);
    // Logs the message; the node when it can take it, else null.
    Node* deliver(Message message);
    void countMessage(const Node& child);

    std::vector<Node> nodes_;
    std::vector<Message> log_;
    int findCalls_ = 0;
};

} // namespace velmora
