#include "framework/message_box.h"

#include <windows.h>

namespace velmora {

void showSystemMessage(const std::string& text, MessageIcon icon)
{
    const UINT style = MB_OK | MB_SYSTEMMODAL |
                       (icon == MessageIcon::Stop ? MB_ICONHAND : MB_ICONEXCLAMATION);
    MessageBoxA(nullptr, text.c_str(), "velmora", style);
}

} // namespace velmora
