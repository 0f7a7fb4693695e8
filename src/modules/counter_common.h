#pragma once
// Pieces shared by the counter and multi-purpose counter settings and their
// command-line models: the description of one per-channel setting, the way the
// dialogs read a typed number, and the matching of command-line values.

#include "core/text.h"
#include "modules/register_fields.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

enum class ControlKind { RadioSet, CheckBox };

// One setting of a channel register: where it lives, what its buttons say and
// which control shows it. `field.reg` is 0; the channel picks the register.
struct ChannelSettingInfo {
    std::string_view name; // after "chN." on the command line
    RegField field;
    std::span<const std::string_view> texts; // per code; a code past the end has no button
    ControlKind kind;
    int firstControl;       // id of code 0's radio button, or of the check box
    std::string_view label; // check box caption; empty for a radio set
};

// What a check box state reads as outside the dialog.
inline constexpr std::array<std::string_view, 2> kCheckTexts{"off", "on"};

constexpr RegField inRegister(RegField f, int reg) {
    f.reg = static_cast<std::uint8_t>(reg);
    return f;
}

// Every code a field can hold has a text, or the texts stop short of it (a
// code without button) but never run past the field's width.
constexpr bool textsFit(const ChannelSettingInfo& s) {
    return !s.texts.empty() && s.texts.size() <= s.field.maxValue() + 1u;
}

// A typed entry read the way the dialogs read it: leading blanks skipped, an
// optional sign, then digits up to the first other character; no digits gives
// 0. Long digit runs saturate instead of overflowing, so callers can clamp.
std::int64_t typedNumber(std::string_view text);

// A typed entry as a register word: the whole number limited to 0..65535,
// not wrapped ("-5" must not become 65531, nor "70000" 4464).
std::uint16_t typedWord(std::string_view text);

// For an explanation: "300 typed, limited to 240 s" when the number typed is
// not the one stored (`unit` follows the number), empty when it is.
std::string limitNote(std::string_view typed, std::int64_t stored, std::string_view unit);

// wordText of register `index`; empty for an index outside `regs`.
std::string registerWordText(std::span<const std::uint16_t> regs, int index);

// "Reg1:" for index 0.
std::string registerLabel(int index);

// Command-line value helpers.
// A code number or one of the setting's texts (any case); empty when the
// control offers no such choice.
std::optional<int> choiceCode(const ChannelSettingInfo& setting, std::string_view value);
// "0 to 3 or \"5V\", \"12V\", ..." for error messages.
std::string allowedChoices(const ChannelSettingInfo& setting);
// Optional sign and at least one digit, nothing else.
bool isWholeNumber(std::string_view text);

// "ch3.range" -> channel 3, key "range"; "delay" -> module-wide, key "delay".
struct SettingName {
    enum Form { Malformed, ModuleWide, PerChannel } form = Malformed;
    long channel = 0; // from 1; saturates instead of overflowing
    std::string_view key;
};
SettingName splitSettingName(std::string_view name);

} // namespace velmora
