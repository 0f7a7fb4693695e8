#pragma once
// The application object: single-instance guard, command line, run modes and
// the run cycle that ties the host link to the module editors. Everything it
// touches outside itself (host windows, time, locks, the start-up window, the
// module list, editors, message boxes) comes in through the small interfaces
// below, so its decisions run in native tests; WinMain wires the real ones.

#include <atomic>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_services.h"
#include "core/catalogue.h"
#include "hostlink/register_block.h"
#include "hostlink/window_description.h"

namespace velmora {

inline constexpr const char* kInstanceMutexName = "VM I/O Configure";
inline constexpr unsigned kInstanceWaitMs = 3000;
inline constexpr unsigned kStateLockWaitMs = 3000;
inline constexpr unsigned kPollIntervalMs = 250;

inline constexpr const char* kResourcesMessage =
    "Could not allocate resources.  Try closing some other program.";
inline constexpr const char* kAlreadyRunningMessage = "\"velmora.exe\" already running.";
inline constexpr const char* kWriteFailedMessage =
    "Concept I/O Parameters menu is not open!Could not update parameters.";

// One command-line parameter; a leading "-" or "/" makes it a switch and is removed.
struct CommandParam {
    bool isSwitch = false;
    std::string text;
};

class ParamCommandLine {
public:
    ParamCommandLine() = default;
    // The words after the program name, as the platform split them.
    explicit ParamCommandLine(const std::vector<std::string>& words);

    void parseParam(std::string_view word);
    const std::vector<CommandParam>& params() const { return params_; }

    // A parameter that is not a switch equals `word`, ignoring the case of
    // ASCII letters. Switches never match.
    bool hasPlainWord(std::string_view word) const;

private:
    std::vector<CommandParam> params_;
};

// The named mutex that keeps a second instance out. Its destructor releases
// the mutex if it is owned, and closes it.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // Creates or opens the named mutex, not owned; false when it cannot.
    virtual bool create(std::string_view name) = 0;
    // Waits at most `timeoutMs` to own it; false when the wait fails.
    virtual bool acquire(unsigned timeoutMs) = 0;
};

// The state lock: recursive for its owner, every wait bounded.
class StateLock {
public:
    virtual ~StateLock() = default;
    // False when the wait ran out; the caller then does not own the lock.
    virtual bool tryLockFor(unsigned timeoutMs) = 0;
    // Only after a successful tryLockFor on the same thread.
    virtual void unlock() = 0;
};

enum class MessageIcon { Stop, Exclamation };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // System-modal, one OK button.
    virtual void show(std::string_view text, MessageIcon icon) = 0;
};

// The start-up window as the main thread drives it. The window belongs to the
// waiting thread, which this object starts and runs it on.
class StartupWindowPort {
public:
    virtual ~StartupWindowPort() = default;
    // Whether the window exists now (the waiting thread created it and it has not ended).
    virtual bool exists() = 0;
    virtual void minimise() = 0;
    virtual void hide() = 0;
    // One waiting step (caption, notice bitmap). Called with the state lock
    // held; it takes the lock once more itself.
    virtual void updateWaitingCaption() = 0;
    // Starts the waiting thread, which runs the window modally, and returns
    // once the window is up (or its run ended), waiting at most 3000 ms: the
    // first poll may find a host window at once, and a window that came up
    // after the editor pass hid it would stand over the module dialog. Called
    // at most once; a failed start is not reported.
    virtual bool startWaitingThread() = 0;
    // Ends the window if it still runs and waits for the waiting thread to
    // finish; returns at once when the thread never started. The run cycle
    // calls it before it deletes the object.
    virtual void closeAndJoin() = 0;
};

class ModuleListPort {
public:
    virtual ~ModuleListPort() = default;
    // Runs the module selection dialog modally. Its picks arrive through
    // selectModule, its Cancel as RunMode::Quit.
    virtual void runModal() = 0;
};

// Builds the editor of a module kind (0-7) over the given host context; an
// exception ends the run.
using EditorFactory = std::function<std::unique_ptr<RegisterBlock>(ModuleKind, HostContext)>;

struct AppPorts {
    std::unique_ptr<InstanceGuard> instanceMutex;
    // Null result: the lock could not be created.
    std::function<std::unique_ptr<StateLock>()> createStateLock;
    MessageBoxes* messages = nullptr;
    HostWindows* windows = nullptr;
    Clock* clock = nullptr;
    // Null result: the window object could not be created.
    std::function<std::unique_ptr<StartupWindowPort>()> createStartupWindow;
    ModuleListPort* moduleList = nullptr;
    EditorFactory createEditor;
    // The window description file; when empty, descriptionFile() is opened
    // in the current directory.
    std::function<std::unique_ptr<std::istream>()> openDescription;
    // Given to every editor's host context.
    unsigned pauseAfterExchangeMs = kPauseAfterExchangeMs;
};

class ConfigApp final : public AppServices {
public:
    // Takes the instance mutex (waiting at most 3000 ms), shows the refusal
    // message when it cannot, publishes itself as theApp() and creates the
    // state lock.
    explicit ConfigApp(AppPorts ports);
    ~ConfigApp() override;
    ConfigApp(const ConfigApp&) = delete;
    ConfigApp& operator=(const ConfigApp&) = delete;

    // The whole life of the process, with the words of the command line after
    // the program name. Always false: the process ends after it. Never throws.
    bool runCycle(const std::vector<std::string>& commandWords);

    // Selects module `index`, then whether a top-level window with its title exists.
    bool isHostWindowOpen(int index);
    // Titles from the window description file, defaults where it gives none.
    void loadModuleTitles();
    const ModuleTitles& moduleTitles() const { return moduleTitles_; }
    const std::string& descriptionFile() const { return descriptionFile_; }
    bool minimisePending() const { return minimisePending_.load(); }

    // AppServices
    RegisterBlock* currentEditor() override { return editor_.get(); }
    bool isHostSynchronised() const override { return hostSynchronised_; }
    std::string currentTitle() const override { return currentTitle_; }
    int moduleIndex() const override { return moduleIndex_; }
    void selectModule(int index) override;
    void lockState() override;
    void unlockState() override;
    RunMode runMode() const override { return runMode_.load(); }
    void setRunMode(RunMode mode) override { runMode_.store(mode); }
    void setMinimisePending(bool pending) override { minimisePending_.store(pending); }

private:
    void runPasses(const std::vector<std::string>& commandWords);
    // Polls until a module is to be edited (true) or the run ends (false).
    bool pollForModule();
    // One module editor; false when the run ends after it.
    bool editorPass();
    void endRun() noexcept;
    void message(const char* text, MessageIcon icon);
    HostContext hostContext();

    AppPorts ports_;
    std::unique_ptr<StartupWindowPort> startupWindow_;
    std::atomic<bool> minimisePending_{false};
    std::atomic<RunMode> runMode_{RunMode::Undecided};
    std::string descriptionFile_ = kDescriptionFileName;
    std::unique_ptr<StateLock> stateLock_;
    int moduleIndex_ = kModuleCount - 1;
    bool hostSynchronised_ = false;
    std::string currentTitle_;
    bool waitingThreadStarted_ = false;
    std::unique_ptr<RegisterBlock> editor_;
    ModuleTitles moduleTitles_ = defaultModuleTitles();
};

} // namespace velmora
