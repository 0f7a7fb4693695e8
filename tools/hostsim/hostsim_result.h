#pragma once
// The --result file a parameter window leaves behind when it closes: how it
// closed, the 24 register field texts one per line, then "presses N" and
// "set-texts N" (set-text messages from outside to the fields and buttons).

#include <array>
#include <string>

#include "hostsim_options.h"

namespace hostsim {

enum class Outcome { Ok, Cancel, Closed };

struct WindowResult {
    Outcome outcome = Outcome::Closed;
    std::array<std::string, kRegisterFields> texts;
    int presses = 0;
    int setTexts = 0;
};

// Lines end in a bare line feed. False when the file cannot be written.
bool writeResult(const std::string& path, const WindowResult& result);

} // namespace hostsim
