#include "core/catalogue.h"

#include "core/text.h"

namespace velmora {

std::optional<ModuleKind> findModuleByListName(std::string_view name) {
    for (int kind = 0; kind < kModuleCount; ++kind)
        if (equalIgnoringCase(ModuleCatalogue[static_cast<std::size_t>(kind)].listName, name)) return kind;
    return std::nullopt;
}

} // namespace velmora
