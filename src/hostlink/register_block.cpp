#include "hostlink/register_block.h"

#include <algorithm>
#include <fstream>

#include "core/host_text.h"

namespace velmora {

EditorDialog::~EditorDialog() = default;
ModuleBase::~ModuleBase() = default;

std::function<std::unique_ptr<std::istream>()> openDescriptionFile(std::string path) {
    return [path = std::move(path)]() -> std::unique_ptr<std::istream> {
        auto in = std::make_unique<std::ifstream>(path, std::ios::binary);
        if (!in->is_open()) return nullptr;
        return in;
    };
}

const char* describe(ExchangeFailure failure) {
    switch (failure) {
    case ExchangeFailure::None:
        return "none";
    case ExchangeFailure::NoHostWindow:
        return "no host window with the module's title";
    case ExchangeFailure::NoChildren:
        return "the host window has no child windows";
    case ExchangeFailure::TextMessage:
        return "a text message to a host field failed or timed out";
    case ExchangeFailure::WriteMismatch:
        return "a host field does not hold the value written";
    case ExchangeFailure::ChildMissing:
        return "the host window ran out of child windows";
    case ExchangeFailure::Unreachable:
        return "the window description puts a written register or OK where the walk never reaches it";
    case ExchangeFailure::Exception:
        return "an exception during the exchange";
    }
    return "unknown";
}

RegisterBlock::RegisterBlock(HostContext context)
    : context_(std::move(context)), layout_(WindowLayout::defaults()) {}

std::uint16_t RegisterBlock::getRegister(int index) const {
    if (index < 0 || index >= kRegisterCount) return 0;
    return registers_[static_cast<std::size_t>(index)];
}

void RegisterBlock::setRegister(int index, std::uint32_t value) {
    if (index < 0 || index >= kRegisterCount) return;
    registers_[static_cast<std::size_t>(index)] = static_cast<std::uint16_t>(value & 0xFFFFu);
}

void RegisterBlock::loadWindowDescription() {
    std::unique_ptr<std::istream> in;
    if (context_.openDescription) in = context_.openDescription();
    layout_ = in ? velmora::loadWindowDescription(*in) : WindowLayout::defaults();
}

bool RegisterBlock::fail(ExchangeFailure failure, int position) {
    lastFailure_ = failure;
    lastFailurePosition_ = position;
    return false;
}

bool RegisterBlock::exchange(ExchangeMode mode) {
    lastFailure_ = ExchangeFailure::None;
    lastFailurePosition_ = -1;
    try {
        if (!walk(mode)) return false;
        // Lets the host close its window before the next poll.
        if (context_.clock) context_.clock->sleepMs(context_.pauseAfterExchangeMs);
        return true;
    } catch (...) {
        return fail(ExchangeFailure::Exception);
    }
}

bool RegisterBlock::writeReachesOk() const {
    int previous = -1; // the walk starts at position 0
    for (int i = 0; i < kRegisterCount && isWritten(i); ++i) {
        // Unmapped, or not after its predecessor: the walk never meets it.
        const int position = layout_.controlPositions[static_cast<std::size_t>(i)];
        if (position <= previous) return false;
        previous = position;
    }
    return layout_.okPosition > previous && layout_.okPosition < layout_.maxWindows;
}

bool RegisterBlock::walk(ExchangeMode mode) {
    // Half a write is worse than none: a layout that cannot finish it touches nothing.
    if (mode == ExchangeMode::WriteAndOk && !writeReachesOk()) return fail(ExchangeFailure::Unreachable);
    if (!context_.windows) return fail(ExchangeFailure::NoHostWindow);
    HostWindows& host = *context_.windows;
    const std::string title = context_.currentTitle ? context_.currentTitle() : std::string();
    if (title.empty()) return fail(ExchangeFailure::NoHostWindow);
    const HostHandle window = host.findTopLevel(title);
    if (window == 0) return fail(ExchangeFailure::NoHostWindow);
    HostHandle child = host.firstChild(window);
    if (child == 0) return fail(ExchangeFailure::NoChildren);

    // Registers are matched strictly in index order: register i is looked for
    // only once register i-1 was handled.
    int i = 0;
    for (int p = 0;; ++p) {
        if (p >= layout_.maxWindows) {
            // A write ends only at OK.
            if (mode == ExchangeMode::WriteAndOk) return fail(ExchangeFailure::Unreachable, p);
            return true;
        }
        const bool atRegister =
            i < kRegisterCount && p == layout_.controlPositions[static_cast<std::size_t>(i)];
        switch (mode) {
        case ExchangeMode::Read:
            if (atRegister) {
                const auto text = readChildText(host, child);
                if (!text) return fail(ExchangeFailure::TextMessage, p);
                registers_[static_cast<std::size_t>(i)] = readHostText(*text);
                ++i;
            }
            break;
        case ExchangeMode::WriteAndOk:
            // Once isWritten refuses register i, i stays and no later register is written.
            if (atRegister && isWritten(i)) {
                const std::uint16_t value = registers_[static_cast<std::size_t>(i)];
                if (!host.setText(child, writeHostText(value), kTextTimeoutMs))
                    return fail(ExchangeFailure::TextMessage, p);
                // A field that dropped or changed the text must not be confirmed with OK.
                const auto back = readChildText(host, child);
                if (!back) return fail(ExchangeFailure::TextMessage, p);
                if (readHostText(*back) != value) return fail(ExchangeFailure::WriteMismatch, p);
                ++i;
            }
            if (p == layout_.okPosition) {
                pressHostButton(host, child);
                return true;
            }
            break;
        default: // Cancel, and any value that is neither Read nor WriteAndOk
            if (p == layout_.cancelPosition) {
                pressHostButton(host, child);
                return true;
            }
            break;
        }
        child = host.nextSibling(child);
        if (child == 0) return fail(ExchangeFailure::ChildMissing, p + 1);
    }
}

std::optional<std::string> readChildText(HostWindows& windows, HostHandle child) {
    auto text = windows.getText(child, kGetTextMaxChars, kTextTimeoutMs);
    // Never trust an answer beyond the characters that were asked for.
    if (text) text->resize(std::min(text->size(), static_cast<std::size_t>(kGetTextMaxChars - 1)));
    return text;
}

bool pressHostButton(HostWindows& windows, HostHandle button) {
    constexpr std::uintptr_t kLeftButtonFlag = 1; // MK_LBUTTON
    if (!windows.exists(button)) return false;
    for (int press = 0; press < kButtonPresses; ++press) {
        windows.sendMouse(button, MouseMessage::LeftButtonDown, kLeftButtonFlag, 0, kButtonTimeoutMs);
        windows.sendMouse(button, MouseMessage::LeftButtonUp, 0, 0, kButtonTimeoutMs);
        if (!windows.exists(button)) break;
    }
    return true;
}

bool isHostWindowOpenByTitle(HostWindows& windows, const std::string& title) {
    if (title.empty()) return false;
    try {
        return windows.findTopLevel(title) != 0;
    } catch (...) {
        return false;
    }
}

} // namespace velmora
