#include "core/catalogue.h"

namespace velmora {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

} // namespace

std::optional<ModuleKind> findModuleByListName(std::string_view name) {
    for (int kind = 0; kind < kModuleCount; ++kind)
        if (equalsIgnoringCase(ModuleCatalogue[static_cast<std::size_t>(kind)].listName, name)) return kind;
    return std::nullopt;
}

} // namespace velmora
