#pragma once
// What the windows of the tool (start-up window, module list, module dialogs)
// need from the application object. The application implements it; window
// tests give a small fake.

#include "modules/editor_context.h"

namespace velmora {

enum class RunMode : int { Undecided = 0, Refused = 1, Standalone = 2, Synchronised = 3, Quit = 4 };

class AppServices : public EditorContext {
public:
    // Module selection (main thread only).
    virtual int moduleIndex() const = 0;
    virtual void selectModule(int index) = 0; // outside 0..7 selects 7

    // Shared state of the two threads. lockState waits at most 3000 ms and
    // its outcome is not examined; the lock is recursive for its owner.
    virtual void lockState() = 0;
    virtual void unlockState() = 0;
    virtual RunMode runMode() const = 0;       // atomic read
    virtual void setRunMode(RunMode mode) = 0; // atomic write; callers hold the lock
    virtual void setMinimisePending(bool pending) = 0;
};

// The one application object, as the tool's windows reach it; setting it
// also makes it the module dialogs' editor context.
AppServices* theApp();
void setTheApp(AppServices* app);

} // namespace velmora
