#include "core/text.h"

#include <cstdio>

namespace velmora {

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

std::string wordText(std::uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(word));
    return text;
}

std::string quotedText(std::string_view text, std::size_t limit) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out = "\"";
    const std::size_t shown = text.size() < limit ? text.size() : limit;
    for (std::size_t i = 0; i < shown; ++i) {
        const auto u = static_cast<unsigned char>(text[i]);
        if (u < 32 || u >= 127) {
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 0xF];
        } else {
            if (text[i] == '"' || text[i] == '\\') out += '\\';
            out += text[i];
        }
    }
    out += '"';
    if (shown < text.size()) out += "...";
    return out;
}

} // namespace velmora
