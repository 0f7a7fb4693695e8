#include "modules/editor_context.h"

#include <atomic>

namespace velmora {

namespace {
std::atomic<EditorContext*> g_context{nullptr};
}

EditorContext* editorContext() {
    return g_context.load();
}
void setEditorContext(EditorContext* context) {
    g_context.store(context);
}

} // namespace velmora
