#include "modules/counter_common.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

namespace {

constexpr bool isCBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Far beyond any register value, far below overflow.
constexpr std::int64_t kSaturation = 1'000'000'000'000LL;

} // namespace

std::int64_t typedNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kSaturation) value = kSaturation;
    }
    return negative ? -value : value;
}

std::uint16_t typedWord(std::string_view text) {
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(typedNumber(text), 0, 0xFFFF));
}

std::string limitNote(std::string_view typed, std::int64_t stored, std::string_view unit) {
    const std::int64_t number = typedNumber(typed);
    if (number == stored) return {};
    return std::string(typed) + " typed, " + (number < stored ? "raised to " : "limited to ") +
           std::to_string(stored) + std::string(unit);
}

std::string hexWord(std::uint16_t word) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(word));
    return buf;
}

std::string registerWordText(std::span<const std::uint16_t> regs, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= regs.size()) return {};
    return hexWord(regs[static_cast<std::size_t>(index)]);
}

std::string registerLabel(int index) {
    return "Reg" + std::to_string(index + 1) + ":";
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isCBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isCBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::optional<int> choiceCode(const ChannelSettingInfo& setting, std::string_view value) {
    value = trimBlanks(value);
    if (value.empty()) return std::nullopt;
    const int count = static_cast<int>(setting.texts.size());
    bool allDigits = true;
    for (char c : value) allDigits = allDigits && isDigit(c);
    if (allDigits) {
        if (value.size() > 3) return std::nullopt;
        const int code = static_cast<int>(typedNumber(value));
        return code < count ? std::optional<int>(code) : std::nullopt;
    }
    for (int code = 0; code < count; ++code)
        if (equalsNoCase(value, setting.texts[static_cast<std::size_t>(code)])) return code;
    return std::nullopt;
}

std::string allowedChoices(const ChannelSettingInfo& setting) {
    std::string out = "0 to " + std::to_string(setting.texts.size() - 1) + " or ";
    for (std::size_t i = 0; i < setting.texts.size(); ++i) {
        if (i) out += ", ";
        out += '"';
        out += setting.texts[i];
        out += '"';
    }
    return out;
}

bool isWholeNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    if (text.empty()) return false;
    for (char c : text)
        if (!isDigit(c)) return false;
    return true;
}

std::string quoted(std::string_view text) {
    constexpr std::size_t kMaxEcho = 40;
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < kMaxEcho; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        out += (c < 0x20 || c == 0x7F) ? '?' : text[i];
    }
    if (text.size() > kMaxEcho) out += "...";
    out += '"';
    return out;
}

SettingName splitSettingName(std::string_view name) {
    name = trimBlanks(name);
    if (name.find('.') == std::string_view::npos) return {SettingName::ModuleWide, 0, name};
    if (name.size() < 4 || !equalsNoCase(name.substr(0, 2), "ch")) return {};
    std::size_t i = 2;
    long channel = 0;
    for (; i < name.size() && isDigit(name[i]); ++i) {
        channel = channel * 10 + (name[i] - '0');
        if (channel > 1000) channel = 1000; // beyond any module, still reported as such
    }
    if (i == 2 || i >= name.size() || name[i] != '.') return {};
    return {SettingName::PerChannel, channel, name.substr(i + 1)};
}

} // namespace velmora
