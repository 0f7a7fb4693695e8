#pragma once
// The universal input module as the command-line tool drives it. Setting
// names are "gN.type", "gN.voltage", "gN.current", "gN.thermocouple",
// "gN.rtd", "gN.wiring", "gN.resistance", "gN.units", "gN.format",
// "gN.filter" and "gN.fault", N the group from 1 to 4. A value is a code or
// the button or list text, in any case, surrounding blanks ignored.

#include "cli/module_model.h"

#include <memory>

namespace velmora {

std::unique_ptr<ModuleModel> makeUniversalModel();

} // namespace velmora
