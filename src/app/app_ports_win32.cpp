#include "app/app_ports_win32.h"

#include <string>

#include "app/module_select_dialog_win32.h"
#include "app/startup_dialog_win32.h"
#include "framework/message_box.h"
#include "framework/sync.h"

namespace velmora {

Win32InstanceGuard::Win32InstanceGuard() = default;

Win32InstanceGuard::~Win32InstanceGuard() {
    if (owned_) mutex_->unlock();
}

bool Win32InstanceGuard::create(std::string_view name) {
    mutex_ = std::make_unique<TimedMutex>(std::string(name).c_str());
    owned_ = false;
    return mutex_->valid();
}

bool Win32InstanceGuard::acquire(unsigned timeoutMs) {
    if (!mutex_ || owned_) return owned_;
    owned_ = mutex_->lock(timeoutMs);
    return owned_;
}

std::unique_ptr<StateLock> Win32StateLock::create() {
    auto mutex = std::make_unique<TimedMutex>();
    if (!mutex->valid()) return nullptr;
    return std::unique_ptr<StateLock>(new Win32StateLock(std::move(mutex)));
}

Win32StateLock::Win32StateLock(std::unique_ptr<TimedMutex> mutex) : mutex_(std::move(mutex)) {}

Win32StateLock::~Win32StateLock() = default;

bool Win32StateLock::tryLockFor(unsigned timeoutMs) {
    return mutex_->lock(timeoutMs);
}

void Win32StateLock::unlock() {
    mutex_->unlock();
}

void Win32MessageBoxes::show(std::string_view text, MessageIcon icon) {
    const std::string message(text);
    if (icon == MessageIcon::Stop)
        showStopMessage(message);
    else
        showExclamationMessage(message);
}

Win32StartupWindow::Win32StartupWindow()
    : dialog_(std::make_unique<StartupDialog>()), thread_(std::make_unique<CSplsThrd>()) {}

Win32StartupWindow::~Win32StartupWindow() {
    closeAndJoin();
    if (thread_->running()) {
        // Freeing them would pull the window out from under its thread; the
        // process is ending anyway.
        (void)dialog_.release();
        (void)thread_.release();
    }
}

bool Win32StartupWindow::exists() {
    return dialog_->exists();
}

void Win32StartupWindow::minimise() {
    dialog_->minimise();
}

void Win32StartupWindow::hide() {
    dialog_->hide();
}

void Win32StartupWindow::updateWaitingCaption() {
    dialog_->updateWaitingCaption();
}

bool Win32StartupWindow::startWaitingThread() {
    if (!thread_->start(*dialog_)) return false;
    dialog_->waitUntilUp(kStateLockWaitMs);
    return true;
}

void Win32StartupWindow::closeAndJoin() {
    if (!thread_->started()) return;
    dialog_->requestClose();
    thread_->join(joinWaitMs);
}

void Win32ModuleList::runModal() {
    ModuleSelectDialog dialog;
    dialog.runModal(nullptr);
}

} // namespace velmora
