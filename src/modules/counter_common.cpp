#include "modules/counter_common.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

namespace {

// Far beyond any register value, far below overflow.
constexpr std::int64_t kSaturation = 1'000'000'000'000LL;

} // namespace

std::int64_t typedNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
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

std::string registerWordText(std::span<const std::uint16_t> regs, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= regs.size()) return {};
    return wordText(regs[static_cast<std::size_t>(index)]);
}

std::string registerLabel(int index) {
    return "Reg" + std::to_string(index + 1) + ":";
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
        if (equalIgnoringCase(value, setting.texts[static_cast<std::size_t>(code)])) return code;
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

SettingName splitSettingName(std::string_view name) {
    name = trimBlanks(name);
    if (name.find('.') == std::string_view::npos) return {SettingName::ModuleWide, 0, name};
    if (name.size() < 4 || !equalIgnoringCase(name.substr(0, 2), "ch")) return {};
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
