#pragma once
// Small text helpers every layer shares. ASCII only, whatever the locale: the
// host's texts, the description file and the command line are all ASCII.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The blanks of C's isspace in the "C" locale.
constexpr bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

constexpr std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// `text` with ASCII capitals made small.
std::string lowered(std::string_view text);

// A register word as every window and listing shows it: four hexadecimal
// digits, capitals ("%04X").
std::string wordText(std::uint16_t word);

// `text` in double quotes, safe to print: a byte outside 32-126 becomes
// \xNN, a quote or backslash gets a backslash. Beyond `limit` characters the
// rest is left out and "..." follows the closing quote.
std::string quotedText(std::string_view text, std::size_t limit = std::string_view::npos);

// How much of a user's value a one-line error message echoes.
inline constexpr std::size_t kEchoLimit = 40;

} // namespace velmora
