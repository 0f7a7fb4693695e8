#pragma once
// The multi-purpose counter module as the command-line tool drives it.

#include "cli/module_model.h"

#include <memory>

namespace velmora {

std::unique_ptr<ModuleModel> makeMultiPurposeModel();

} // namespace velmora
