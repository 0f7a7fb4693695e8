#pragma once
// The 24-register block of a module editor and the exchange with the host's
// I/O parameter window: read the register texts, write them back and press
// OK, or press Cancel. The only code that touches the host's controls.

#include <array>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "hostlink/host_windows.h"
#include "hostlink/window_description.h"

namespace velmora {

inline constexpr unsigned kTextTimeoutMs = 1000;
inline constexpr unsigned kButtonTimeoutMs = 250;
inline constexpr unsigned kPauseAfterExchangeMs = 500;
// The get-text request: a 21-byte buffer, asking for at most 20 characters
// including the terminator, so at most 19 characters of text.
inline constexpr int kGetTextMaxChars = 20;
inline constexpr int kButtonPresses = 3;

// A module dialog as its editor sees it.
class EditorDialog {
public:
    virtual ~EditorDialog();
    // 1 for OK, 2 for Cancel.
    virtual int runModal() = 0;
};

// Other values act as Cancel.
enum class ExchangeMode : int { Read = 0, WriteAndOk = 1, Cancel = 2 };

// Everything outside the block that an exchange needs.
struct HostContext {
    HostWindows* windows = nullptr;
    Clock* clock = nullptr;
    // The application's title of the module selected last; the exchange looks
    // the host window up by it.
    std::function<std::string()> currentTitle;
    // The window description file; null (or no function) keeps the defaults.
    std::function<std::unique_ptr<std::istream>()> openDescription;
    // The pause after a successful exchange, which the host needs to close
    // its window.
    unsigned pauseAfterExchangeMs = kPauseAfterExchangeMs;
};

// An opener for HostContext::openDescription that reads `path`, relative to
// the current directory; null when the file cannot be opened.
std::function<std::unique_ptr<std::istream>()> openDescriptionFile(std::string path = kDescriptionFileName);

// The abstract root of every module editor: it owns the module's dialog.
class ModuleBase {
public:
    ModuleBase() = default;
    ModuleBase(const ModuleBase&) = delete;
    ModuleBase& operator=(const ModuleBase&) = delete;
    virtual ~ModuleBase();

    virtual bool exchange(ExchangeMode mode) = 0;
    virtual void loadWindowDescription() = 0;

    EditorDialog* dialog() const { return dialog_.get(); }

protected:
    // Called by an editor's constructor, after it loaded its positions.
    void setDialog(std::unique_ptr<EditorDialog> dialog) { dialog_ = std::move(dialog); }

private:
    std::unique_ptr<EditorDialog> dialog_;
};

// Why the last exchange failed.
enum class ExchangeFailure {
    None,
    NoHostWindow, // empty title, or no top-level window with it
    NoChildren,
    TextMessage,   // a get-text or set-text send failed or timed out
    WriteMismatch, // a field read back after the write holds another value
    ChildMissing,  // the walk ran out of children before it ended
    Unreachable,   // write: the layout keeps a written register or OK from the walk
    Exception,
};

const char* describe(ExchangeFailure failure);

class RegisterBlock : public ModuleBase {
public:
    // Registers start at 0 and positions at their defaults; editors call
    // loadWindowDescription() in their constructors.
    explicit RegisterBlock(HostContext context);

    // 0 for an index outside 0 to 23.
    std::uint16_t getRegister(int index) const;
    // Keeps the low 16 bits; an index outside 0 to 23 changes nothing.
    void setRegister(int index, std::uint32_t value);
    const std::array<std::uint16_t, kRegisterCount>& registers() const { return registers_; }

    // Walks the host window's children by position. Read: fills the mapped
    // registers, succeeds on reaching maxWindows. WriteAndOk: writes the
    // registers isWritten admits, checks each field took its value, presses
    // OK; it succeeds only then, and fails before it sends anything when the
    // layout keeps one of those registers or OK from the walk. Cancel:
    // presses Cancel. Pauses 500 ms after success only.
    bool exchange(ExchangeMode mode) override;
    // Positions from the context's description (defaults when it has none).
    void loadWindowDescription() override;
    virtual bool isWritten(int index) const = 0;

    const WindowLayout& layout() const { return layout_; }
    void setLayout(const WindowLayout& layout) { layout_ = layout; }

    ExchangeFailure lastFailure() const { return lastFailure_; }
    // Child position at which the last exchange failed; -1 when not at a child.
    int lastFailurePosition() const { return lastFailurePosition_; }

protected:
    const HostContext& context() const { return context_; }

private:
    // Whether the walk reaches, below maxWindows, every register a write must
    // write (the leading run isWritten admits), in index order, and then OK.
    bool writeReachesOk() const;
    bool walk(ExchangeMode mode);
    bool fail(ExchangeFailure failure, int position = -1);

    HostContext context_;
    WindowLayout layout_;
    std::array<std::uint16_t, kRegisterCount> registers_{};
    ExchangeFailure lastFailure_ = ExchangeFailure::None;
    int lastFailurePosition_ = -1;
};

// A child's text as the exchange reads it: one get-text message asking for
// kGetTextMaxChars, at most kTextTimeoutMs, the answer cut to the characters
// asked for. Nothing when the send fails or times out.
std::optional<std::string> readChildText(HostWindows& windows, HostHandle child);

// Presses a host button: up to three left-button down/up pairs, stopping once
// the window is gone. False, with nothing sent, when it is gone already.
bool pressHostButton(HostWindows& windows, HostHandle button);

// Whether a top-level window with exactly this title exists; an empty title
// never matches, and any failure gives false.
bool isHostWindowOpenByTitle(HostWindows& windows, const std::string& title);

} // namespace velmora
