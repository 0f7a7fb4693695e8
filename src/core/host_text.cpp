#include "core/host_text.h"

#include "core/text.h"

namespace velmora {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::uint32_t readHostNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The prefix counts only when a hex digit follows; "0x" alone is the number 0.
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        hexDigit(text[i + 2]) >= 0)
        i += 2;

    std::uint64_t value = 0;
    bool overflow = false;
    for (; i < text.size(); ++i) {
        const int d = hexDigit(text[i]);
        if (d < 0) break;
        if (!overflow) {
            value = value * 16 + static_cast<unsigned>(d);
            overflow = value > 0xFFFFFFFFu;
        }
    }
    if (overflow) return 0xFFFFFFFFu;
    const auto v = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - v) : v;
}

std::uint16_t readHostText(std::string_view text) {
    return static_cast<std::uint16_t>(readHostNumber(text) & 0xFFFFu);
}

std::string writeHostText(std::uint16_t value) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string reversed;
    unsigned v = value;
    do {
        reversed.push_back(digits[v & 0xFu]);
        v >>= 4;
    } while (v != 0);
    return {reversed.rbegin(), reversed.rend()};
}

} // namespace velmora
