#include "modules/dialog_factory_win32.h"

#include <stdexcept>

#include "modules/multipurpose_dialog_win32.h"

namespace velmora {

std::unique_ptr<EditorDialog> makeWin32Dialog(const DialogRequest& request)
{
    switch (request.family) {
    case EditorFamily::MultiPurpose:
        return std::make_unique<MultiPurposeDialog>();
    case EditorFamily::Analog:
    case EditorFamily::Universal:
    case EditorFamily::Counter:
        break;
    }
    throw std::runtime_error("no dialog for this module family");
}

DialogFactory win32DialogFactory() { return &makeWin32Dialog; }

} // namespace velmora
