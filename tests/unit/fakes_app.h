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
#include <utility>
#include <vector>

#include "app/config_app.h"
#include "support/fake_clock.h"
#include "support/fake_host_windows.h"
#include "modules/module_editors.h"

namespace velmora::testing {

using EventLog = std::vector<std::string>;

// A dialog that answers as `run` does, by default Cancel.
struct FakeDialog : EditorDialog {
    FakeDialog(EventLog& log, std::function<int()> run) : log(log), run(std::move(run)) {}
    ~FakeDialog() override { log.push_back("dialog deleted"); }
    int runModal() override {
        log.push_back("dialog");
        return run ? run() : 2;
    }
    EventLog& log;
    std::function<int()> run;
};

// Everything a ConfigApp needs, wired to fakes; the rig itself shows the
// messages and runs the module list. The host is in memory; the window
// description file is `description` when set.
struct AppRig : MessageBoxes, ModuleListPort {
    // The instance mutex, created and acquired as the rig says.
    struct Guard : InstanceGuard {
        explicit Guard(AppRig& rig) : rig(rig) {}
        bool create(std::string_view name) override {
            rig.guardCalls.push_back("create " + std::string(name));
            return rig.guardCreates;
        }
        bool acquire(unsigned timeoutMs) override {
            rig.guardCalls.push_back("acquire " + std::to_string(timeoutMs));
            return rig.guardAcquires;
        }
        AppRig& rig;
    };
    // A state lock for one thread that counts its depth; `failWaits` waits run
    // out before the next one succeeds.
    struct Lock : StateLock {
        explicit Lock(AppRig& rig) : rig(rig) {}
        bool tryLockFor(unsigned timeoutMs) override {
            rig.lockWaits.push_back(timeoutMs);
            const bool owned = rig.failWaits == 0;
            owned ? ++rig.lockDepth : --rig.failWaits;
            return owned;
        }
        void unlock() override { rig.lockDepth == 0 ? ++rig.unlocksUnowned : --rig.lockDepth; }
        AppRig& rig;
    };
    // The start-up window, whose waiting thread is imaginary: starting it makes
    // the window exist, closing it ends that.
    struct Startup : StartupWindowPort {
        explicit Startup(AppRig& rig) : rig(rig) {}
        ~Startup() override { rig.log.push_back("deleted"); }
        bool exists() override { return open; }
        void minimise() override { rig.log.push_back("minimise"); }
        void hide() override { rig.log.push_back("hide"); }
        void updateWaitingCaption() override {
            rig.log.push_back(rig.lockDepth > 0 ? "caption" : "caption unlocked");
        }
        bool startWaitingThread() override {
            rig.log.push_back("thread");
            return open = true;
        }
        void closeAndJoin() override {
            rig.log.push_back("join");
            open = false;
        }
        AppRig& rig;
        bool open = false;
    };
    using Shown = std::vector<std::pair<std::string, MessageIcon>>;

    EventLog log;
    EventLog guardCalls;
    bool guardCreates = true, guardAcquires = true, lockCreated = true, startupCreated = true;
    int lockDepth = 0, failWaits = 0, unlocksUnowned = 0;
    std::vector<unsigned> lockWaits;
    FakeHostWindows host;
    FakeClock clock;
    Shown shown;
    std::function<void()> onModuleList;
    std::optional<std::string> description;
    std::function<int(RegisterBlock& editor)> dialogAction;
    std::map<ModuleKind, FakeHostWindows::ParameterWindow> windows; // opened by open()

    void show(std::string_view text, MessageIcon icon) override {
        shown.emplace_back(text, icon);
        log.push_back("message");
    }
    void runModal() override {
        log.push_back("list");
        if (onModuleList) onModuleList();
    }

    AppPorts ports() {
        AppPorts p;
        p.instanceMutex = std::make_unique<Guard>(*this);
        p.createStateLock = [this] { return lockCreated ? std::make_unique<Lock>(*this) : nullptr; };
        p.messages = this;
        p.windows = &host;
        p.clock = &clock;
        p.createStartupWindow = [this]() -> std::unique_ptr<StartupWindowPort> {
            if (!startupCreated) return nullptr;
            log.push_back("startup");
            return std::make_unique<Startup>(*this);
        };
        p.moduleList = this;
        p.createEditor = [this](ModuleKind kind, HostContext context) {
            log.push_back("editor " + std::to_string(kind));
            return makeEditor(kind, std::move(context), [this](const DialogRequest&) {
                return std::make_unique<FakeDialog>(log, [this] {
                    RegisterBlock* editor = theApp() ? theApp()->currentEditor() : nullptr;
                    if (!editor) throw std::logic_error("dialog runs without a current editor");
                    return dialogAction(*editor);
                });
            });
        };
        p.openDescription = [this] {
            return description ? std::make_unique<std::istringstream>(*description) : nullptr;
        };
        return p;
    }
    std::unique_ptr<ConfigApp> app() { return std::make_unique<ConfigApp>(ports()); }

    // The host window of `kind` under its default title.
    void open(ModuleKind kind) {
        windows[kind] = host.addParameterWindow(std::string(ModuleCatalogue[kind].defaultTitle));
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
    // The log as one line.
    std::string story() const {
        std::string out;
        for (const auto& event : log) out += (out.empty() ? "" : ", ") + event;
        return out;
    }
    int count(const std::string& event) const {
        return static_cast<int>(std::count(log.begin(), log.end(), event));
    }
};

} // namespace velmora::testing
