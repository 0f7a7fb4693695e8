#include "framework/message_box.h"

#include <windows.h>

namespace velmora {
namespace {

void showSystemMessage(const std::string& text, UINT icon) {
    MessageBoxA(nullptr, text.c_str(), "velmora", MB_OK | MB_SYSTEMMODAL | icon);
}

} // namespace

void showStopMessage(const std::string& text) {
    showSystemMessage(text, MB_ICONHAND);
}

void showExclamationMessage(const std::string& text) {
    showSystemMessage(text, MB_ICONEXCLAMATION);
}

} // namespace velmora
