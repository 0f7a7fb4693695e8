#include "hostsim_result.h"

#include <fstream>

namespace hostsim {

bool writeResult(const std::string& path, const WindowResult& result) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    static constexpr const char* outcomes[] = {"OK", "CANCEL", "CLOSED"};
    out << outcomes[static_cast<int>(result.outcome)] << '\n';
    for (const std::string& text : result.texts) out << text << '\n';
    out << "presses " << result.presses << '\n';
    out << "set-texts " << result.setTexts << '\n';
    out.flush();
    return static_cast<bool>(out);
}

} // namespace hostsim
