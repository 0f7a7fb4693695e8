#pragma once
// The tool's messages to the user: one OK button, system-modal, above
// every other window.

#include <string>

namespace velmora {

// Errors carry the stop icon.
void showStopMessage(const std::string& text);
// Notices carry the exclamation icon.
void showExclamationMessage(const std::string& text);

} // namespace velmora
