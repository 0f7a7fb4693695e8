#include "dialogs/dialog_factory_win32.h"

#include <stdexcept>

#include "dialogs/analog_input_dialog_win32.h"
#include "dialogs/counter_dialog_win32.h"
#include "dialogs/multipurpose_dialog_win32.h"
#include "dialogs/universal_input_dialog_win32.h"

namespace velmora {

std::unique_ptr<EditorDialog> makeWin32Dialog(const DialogRequest& request) {
    switch (request.family) {
    case EditorFamily::Analog:
        return std::make_unique<AnalogInputDialog>(request.kind);
    case EditorFamily::MultiPurpose:
        return std::make_unique<MultiPurposeDialog>();
    case EditorFamily::Universal:
        return std::make_unique<UniversalInputDialog>();
    case EditorFamily::Counter:
        return std::make_unique<CounterDialog>(request.channels);
    }
    throw std::runtime_error("no dialog for this module family");
}

DialogFactory win32DialogFactory() {
    return &makeWin32Dialog;
}

} // namespace velmora
