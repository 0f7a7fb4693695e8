#pragma once
// The high-speed counter modules as the command-line tool drives them.

#include "cli/module_model.h"

#include <memory>

namespace velmora {

// `kind` 6 is the 4-channel module, any other value the 8-channel one.
std::unique_ptr<ModuleModel> makeCounterModel(int kind);

} // namespace velmora
