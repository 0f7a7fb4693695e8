#pragma once
// What a module dialog needs of the application: the editor it works on, the
// title of its module and whether its words came from a host window. The
// application implements it and publishes itself as the one context.

#include <string>

namespace velmora {

class RegisterBlock;

class EditorContext {
public:
    virtual ~EditorContext() = default;

    // Main thread only.
    virtual RegisterBlock* currentEditor() = 0;
    virtual bool isHostSynchronised() const = 0;
    virtual std::string currentTitle() const = 0;
};

// The one context, as the dialogs reach it; null while there is none.
EditorContext* editorContext();
void setEditorContext(EditorContext* context);

} // namespace velmora
