#include "app/config_app.h"

#include <chrono>
#include <stdexcept>
#include <utility>

#include "core/text.h"

namespace velmora {

namespace {

// What each unmatched lockState of this thread got: a wait that ran out owns
// nothing, and its unlockState must not release what another thread holds.
struct HeldLock {
    const StateLock* lock;
    bool owned;
};
thread_local std::vector<HeldLock> t_heldLocks;

// Keeps the state lock over a scope, exceptions included.
class StateGuard {
public:
    explicit StateGuard(AppServices& app) : app_(app) { app_.lockState(); }
    ~StateGuard() { app_.unlockState(); }
    StateGuard(const StateGuard&) = delete;
    StateGuard& operator=(const StateGuard&) = delete;

private:
    AppServices& app_;
};

} // namespace

// ---------------------------------------------------------------- command line

ParamCommandLine::ParamCommandLine(const std::vector<std::string>& words) {
    for (const std::string& word : words) parseParam(word);
}

void ParamCommandLine::parseParam(std::string_view word) {
    CommandParam param;
    if (!word.empty() && (word.front() == '-' || word.front() == '/')) {
        param.isSwitch = true;
        word.remove_prefix(1);
    }
    param.text = std::string(word);
    params_.push_back(std::move(param));
}

bool ParamCommandLine::hasPlainWord(std::string_view word) const {
    for (const CommandParam& param : params_)
        if (!param.isSwitch && equalIgnoringCase(param.text, word)) return true;
    return false;
}

// ---------------------------------------------------------------- application

ConfigApp::ConfigApp(AppPorts ports) : ports_(std::move(ports)) {
    if (!ports_.instanceMutex || !ports_.instanceMutex->create(kInstanceMutexName)) {
        runMode_ = RunMode::Refused;
        message(kResourcesMessage, MessageIcon::Stop);
        return;
    }
    if (!ports_.instanceMutex->acquire(kInstanceWaitMs)) {
        runMode_ = RunMode::Refused;
        message(kAlreadyRunningMessage, MessageIcon::Exclamation);
        return;
    }
    setTheApp(this);
    if (ports_.createStateLock) {
        try {
            stateLock_ = ports_.createStateLock();
        } catch (...) {
            stateLock_.reset();
        }
    }
    lockState();
    runMode_ = RunMode::Undecided;
    unlockState();
}

ConfigApp::~ConfigApp() {
    endRun();
    if (theApp() == this) setTheApp(nullptr);
}

void ConfigApp::message(const char* text, MessageIcon icon) {
    if (!ports_.messages) return;
    try {
        ports_.messages->show(text, icon);
    } catch (...) {
        // A message that cannot be shown changes nothing that follows.
    }
}

void ConfigApp::lockState() {
    if (!stateLock_) return;
    t_heldLocks.reserve(t_heldLocks.size() + 1); // no allocation failure once the lock is held
    // The outcome is not acted on: a caller whose wait ran out goes on as if
    // it held the lock, but its unlockState then releases nothing.
    const bool owned = stateLock_->tryLockFor(kStateLockWaitMs);
    t_heldLocks.push_back({stateLock_.get(), owned});
}

void ConfigApp::unlockState() {
    if (!stateLock_) return;
    for (auto it = t_heldLocks.rbegin(); it != t_heldLocks.rend(); ++it) {
        if (it->lock != stateLock_.get()) continue;
        const bool owned = it->owned;
        t_heldLocks.erase(std::next(it).base());
        if (owned) stateLock_->unlock();
        return;
    }
    // An unlock without a lock releases nothing.
}

void ConfigApp::selectModule(int index) {
    moduleIndex_ = clampModuleKind(index);
    currentTitle_ = moduleTitles_[static_cast<std::size_t>(moduleIndex_)];
}

bool ConfigApp::isHostWindowOpen(int index) {
    selectModule(index);
    if (!ports_.windows) return false;
    return isHostWindowOpenByTitle(*ports_.windows, currentTitle_);
}

void ConfigApp::loadModuleTitles() {
    try {
        const auto open =
            ports_.openDescription ? ports_.openDescription : openDescriptionFile(descriptionFile_);
        const std::unique_ptr<std::istream> in = open();
        moduleTitles_ = in ? velmora::loadModuleTitles(*in) : defaultModuleTitles();
    } catch (...) {
        moduleTitles_ = defaultModuleTitles();
    }
}

HostContext ConfigApp::hostContext() {
    HostContext context;
    context.windows = ports_.windows;
    context.clock = ports_.clock;
    context.currentTitle = [this] { return currentTitle_; };
    if (ports_.openDescription)
        context.openDescription = ports_.openDescription;
    else
        context.openDescription = openDescriptionFile(descriptionFile_);
    context.pauseAfterExchangeMs = ports_.pauseAfterExchangeMs;
    return context;
}

bool ConfigApp::runCycle(const std::vector<std::string>& commandWords) {
    try {
        loadModuleTitles();
        if (runMode_ != RunMode::Refused) runPasses(commandWords);
    } catch (...) {
        // Any exception ends the run without a message.
    }
    endRun();
    return false;
}

void ConfigApp::runPasses(const std::vector<std::string>& commandWords) {
    if (!stateLock_ || !ports_.clock) {
        message(kResourcesMessage, MessageIcon::Stop);
        return;
    }

    {
        const ParamCommandLine commandLine(commandWords);
        StateGuard guard(*this);
        if (commandLine.hasPlainWord("NO_SYNC"))
            runMode_ = RunMode::Standalone;
        else if (commandLine.hasPlainWord("SYNC_WITH_CONCEPT"))
            runMode_ = RunMode::Synchronised;
        else
            runMode_ = RunMode::Undecided;
    }

    try {
        if (ports_.createStartupWindow) startupWindow_ = ports_.createStartupWindow();
    } catch (...) {
        startupWindow_.reset();
    }
    if (!startupWindow_) {
        message(kResourcesMessage, MessageIcon::Stop);
        return;
    }

    for (;;) {
        minimisePending_ = true;
        if (runMode_ != RunMode::Standalone) {
            if (!waitingThreadStarted_) {
                waitingThreadStarted_ = true;
                startupWindow_->startWaitingThread();
            }
            if (!pollForModule()) return;
        }
        if (!editorPass()) return;
    }
}

bool ConfigApp::pollForModule() {
    for (;;) {
        {
            StateGuard guard(*this);
            switch (runMode_.load()) {
            case RunMode::Quit:
                return false;
            case RunMode::Standalone:
                return true;
            case RunMode::Synchronised:
                if (minimisePending_ && startupWindow_->exists()) {
                    startupWindow_->minimise();
                    minimisePending_ = false;
                }
                // Catalogue order: with two host windows open the lower kind is served first.
                for (int kind = 0; kind < kModuleCount; ++kind)
                    if (isHostWindowOpen(kind)) return true;
                if (startupWindow_->exists()) startupWindow_->updateWaitingCaption();
                break;
            default:
                break;
            }
        }
        ports_.clock->sleepMs(kPollIntervalMs);
    }
}

bool ConfigApp::editorPass() {
    if (startupWindow_->exists()) startupWindow_->hide();

    // The mode of this pass is decided once: a pass that read from the host
    // writes back to it, whatever the start-up window does meanwhile.
    const bool standalone = runMode_ == RunMode::Standalone;
    if (standalone) {
        hostSynchronised_ = false;
        if (ports_.moduleList) ports_.moduleList->runModal();
        if (runMode_ == RunMode::Quit) return false;
    } else {
        hostSynchronised_ = true;
    }

    moduleIndex_ = clampModuleKind(moduleIndex_);
    editor_.reset();
    if (!ports_.createEditor) throw std::logic_error("no editor factory");
    editor_ = ports_.createEditor(moduleIndex_, hostContext());
    if (!editor_ || !editor_->dialog()) throw std::logic_error("editor without a dialog");

    // The standalone mode works without any host: its dialogs start from
    // defaults, and a host window that happens to be open is left alone.
    if (!standalone) editor_->exchange(ExchangeMode::Read);

    const int result = editor_->dialog()->runModal();
    if (standalone) return false;

    if (result == 1) {
        if (!editor_->exchange(ExchangeMode::WriteAndOk)) message(kWriteFailedMessage, MessageIcon::Stop);
    } else if (result == 2) {
        editor_->exchange(ExchangeMode::Cancel);
    } else {
        // A dialog that could not run leaves the host window open; wait a poll
        // before it is found again so the cycle does not spin.
        ports_.clock->sleepMs(kPollIntervalMs);
    }
    // Standalone chosen in the start-up window while the dialog was open: the
    // host has had its answer, and a standalone run ends after its dialog.
    return runMode_ != RunMode::Standalone;
}

void ConfigApp::endRun() noexcept {
    try {
        editor_.reset();
    } catch (...) {}
    if (startupWindow_) {
        // The waiting thread may still run the window: end it before the object goes.
        try {
            startupWindow_->closeAndJoin();
        } catch (...) {}
        startupWindow_.reset();
    }
}

} // namespace velmora
