#pragma once
// The Win32 dialogs of the module editors: one per editor family.

#include "modules/module_editors.h"

namespace velmora {

// Builds the dialog a module editor asks for. A family without a dialog in
// this build throws std::runtime_error, which ends the run.
std::unique_ptr<EditorDialog> makeWin32Dialog(const DialogRequest& request);

// makeWin32Dialog as the editors take it.
DialogFactory win32DialogFactory();

} // namespace velmora
