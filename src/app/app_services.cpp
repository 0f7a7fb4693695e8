#include "app/app_services.h"

#include <atomic>

namespace velmora {

namespace {
std::atomic<AppServices*> g_app{nullptr};
}

AppServices* theApp() {
    return g_app.load();
}
void setTheApp(AppServices* app) {
    g_app.store(app);
    setEditorContext(app);
}

} // namespace velmora
