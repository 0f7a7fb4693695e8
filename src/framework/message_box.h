#pragma once
// The tool's messages to the user: one OK button, system-modal, above
// every other window.

#include <string>

namespace velmora {

enum class MessageIcon { Stop, Exclamation };

void showSystemMessage(const std::string& text, MessageIcon icon);

} // namespace velmora
