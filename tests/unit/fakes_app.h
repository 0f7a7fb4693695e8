#pragma once
// Fakes of the application's ports for single-threaded tests of the run cycle
// and the editors: every call is recorded in one event log so a test can check
// what happened and in which order.

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/config_app.h"
#include "support/fake_clock.h"
#include "support/fake_host_windows.h"
#include "modules/module_editors.h"

namespace velmora::testing {

using EventLog = std::vector<std::string>;

class FakeInstanceGuard : public InstanceGuard {
public:
    struct Calls {
        std::vector<std::string> created;
        std::vector<unsigned> waits;
    };
    FakeInstanceGuard(Calls& calls, bool createOk, bool acquireOk)
        : calls_(calls), createOk_(createOk), acquireOk_(acquireOk) {}
    bool create(std::string_view name) override {
        calls_.created.emplace_back(name);
        return createOk_;
    }
    bool acquire(unsigned timeoutMs) override {
        calls_.waits.push_back(timeoutMs);
        return acquireOk_;
    }

private:
    Calls& calls_;
    bool createOk_;
    bool acquireOk_;
};

// A lock for one thread that counts its depth; `failWaits` makes that many
// waits run out before the next one succeeds.
class CountingLock : public StateLock {
public:
    struct State {
        int depth = 0;
        int failWaits = 0;
        int unlocksUnowned = 0;
        std::vector<unsigned> waits;
    };
    explicit CountingLock(State& state) : state_(state) {}
    bool tryLockFor(unsigned timeoutMs) override {
        state_.waits.push_back(timeoutMs);
        if (state_.failWaits > 0) return --state_.failWaits, false;
        return ++state_.depth, true;
    }
    void unlock() override { state_.depth == 0 ? ++state_.unlocksUnowned : --state_.depth; }

private:
    State& state_;
};

class RecordingMessages : public MessageBoxes {
public:
    struct Shown {
        std::string text;
        MessageIcon icon;
    };
    explicit RecordingMessages(EventLog& log) : log_(log) {}
    void show(std::string_view text, MessageIcon icon) override {
        shown.push_back({std::string(text), icon});
        log_.push_back("message");
    }
    std::vector<Shown> shown;

private:
    EventLog& log_;
};

// Start-up window whose waiting thread is imaginary: starting it makes the
// window exist, closing it ends that.
class FakeStartupWindow : public StartupWindowPort {
public:
    FakeStartupWindow(EventLog& log, const CountingLock::State& lock) : log_(log), lock_(lock) {}
    ~FakeStartupWindow() override { log_.push_back(open_ ? "deleted while open" : "deleted"); }

    bool exists() override { return open_; }
    void minimise() override { log_.push_back("minimise"); }
    void hide() override { log_.push_back("hide"); }
    void updateWaitingCaption() override { log_.push_back(lock_.depth > 0 ? "caption" : "caption unlocked"); }
    bool startWaitingThread() override {
        log_.push_back("start thread");
        return open_ = true;
    }
    void closeAndJoin() override {
        log_.push_back("close and join");
        open_ = false;
    }

private:
    EventLog& log_;
    const CountingLock::State& lock_;
    bool open_ = false;
};

class FakeModuleList : public ModuleListPort {
public:
    explicit FakeModuleList(EventLog& log) : log_(log) {}
    void runModal() override {
        log_.push_back("module list");
        if (onRun) onRun();
    }
    std::function<void()> onRun;

private:
    EventLog& log_;
};

class FakeDialog : public EditorDialog {
public:
    FakeDialog(EventLog& log, std::function<int()> run) : log_(log), run_(std::move(run)) {}
    ~FakeDialog() override { log_.push_back("dialog deleted"); }
    int runModal() override {
        log_.push_back("dialog");
        return run_ ? run_() : 2;
    }

private:
    EventLog& log_;
    std::function<int()> run_;
};

// Everything a ConfigApp needs, wired to fakes. The host is in memory; the
// window description file is `description` when set.
struct AppRig {
    EventLog log;
    FakeInstanceGuard::Calls guardCalls;
    bool guardCreates = true;
    bool guardAcquires = true;
    CountingLock::State lock;
    bool lockCreated = true;
    bool startupCreated = true;
    FakeHostWindows host;
    FakeClock clock;
    RecordingMessages messages{log};
    FakeModuleList moduleList{log};
    std::optional<std::string> description;
    // What each module dialog does; by default Cancel.
    std::function<int(RegisterBlock& editor)> dialogAction;
    // Runs before each editor is built, e.g. to throw.
    std::function<void(ModuleKind)> beforeEditor;
    // Host windows opened with open(), by module.
    std::map<ModuleKind, FakeHostWindows::ParameterWindow> windows;

    AppPorts ports() {
        AppPorts p;
        p.instanceMutex = std::make_unique<FakeInstanceGuard>(guardCalls, guardCreates, guardAcquires);
        p.createStateLock = [this]() -> std::unique_ptr<StateLock> {
            return lockCreated ? std::make_unique<CountingLock>(lock) : nullptr;
        };
        p.messages = &messages;
        p.windows = &host;
        p.clock = &clock;
        p.createStartupWindow = [this]() -> std::unique_ptr<StartupWindowPort> {
            if (!startupCreated) return nullptr;
            log.push_back("startup created");
            return std::make_unique<FakeStartupWindow>(log, lock);
        };
        p.moduleList = &moduleList;
        p.createEditor = [this](ModuleKind kind, HostContext context) {
            if (beforeEditor) beforeEditor(kind);
            log.push_back("editor " + std::to_string(kind));
            return makeEditor(kind, std::move(context), [this](const DialogRequest&) {
                return std::make_unique<FakeDialog>(log, [this]() -> int {
                    RegisterBlock* editor = theApp() ? theApp()->currentEditor() : nullptr;
                    if (!editor) throw std::logic_error("dialog runs without a current editor");
                    return dialogAction ? dialogAction(*editor) : 2;
                });
            });
        };
        p.openDescription = [this]() -> std::unique_ptr<std::istream> {
            if (!description) return nullptr;
            return std::make_unique<std::istringstream>(*description);
        };
        return p;
    }

    std::unique_ptr<ConfigApp> app() { return std::make_unique<ConfigApp>(ports()); }

    // The host window of `kind` under its default title.
    const FakeHostWindows::ParameterWindow& open(ModuleKind kind,
                                                 const std::array<std::string, kRegisterCount>& texts = {}) {
        return windows[kind] = host.addParameterWindow(std::string(ModuleCatalogue[kind].defaultTitle),
                                                       WindowLayout::defaults(), -1, texts);
    }
    // The buttons pressed in the windows open() opened, as "5 OK, 7 Cancel".
    std::string pressed() {
        std::string out;
        for (const auto& [kind, w] : windows)
            for (const auto& [button, name] : {std::pair(w.ok, " OK"), std::pair(w.cancel, " Cancel")})
                if (host.pressCount(button) > 0)
                    out += (out.empty() ? "" : ", ") + std::to_string(kind) + name;
        return out;
    }
    int count(const std::string& event) const {
        return static_cast<int>(std::count(log.begin(), log.end(), event));
    }
};

} // namespace velmora::testing
