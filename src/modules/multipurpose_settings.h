#pragma once
// Settings of the multi-purpose counter module: four independent channels
// (registers 0-3), the autocycle delay (register 4) and one signal time-out per
// channel (registers 5-8, seconds, 0 to 240). The multi-purpose dialog is a thin
// binding to this class; every one of its setting controls stays enabled.

#include "modules/counter_common.h"
#include "multipurpose_ids.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

enum class MultiPurposeSetting { Range, Gate, Size, DigitalFilter, AnalogFilter };
inline constexpr std::size_t kMultiPurposeSettingCount = 5;

inline constexpr std::array<std::string_view, 4> kMultiPurposeRangeTexts{"5V", "12V", "24V", "AC"};
// Gate code 3 has no button.
inline constexpr std::array<std::string_view, 3> kMultiPurposeGateTexts{"5V", "12V", "24V"};
inline constexpr std::array<std::string_view, 2> kMultiPurposeSizeTexts{"16 Bit (65K)", "24 Bit (16M)"};

// The channel register, indexed by MultiPurposeSetting; bits 7-15 belong to no setting.
inline constexpr std::array<ChannelSettingInfo, kMultiPurposeSettingCount> kMultiPurposeLayout{{
    {"range", {0, 0, 2}, kMultiPurposeRangeTexts, ControlKind::RadioSet, IDC_MP_RANGE_5V, ""},
    {"gate", {0, 2, 2}, kMultiPurposeGateTexts, ControlKind::RadioSet, IDC_MP_GATE_5V, ""},
    {"size", {0, 6, 1}, kMultiPurposeSizeTexts, ControlKind::RadioSet, IDC_MP_SIZE_16BIT, ""},
    {"digital_filter",
     {0, 4, 1},
     kCheckTexts,
     ControlKind::CheckBox,
     IDC_MP_DIGITAL_FILTER,
     "30KHz Digital Filter"},
    {"analog_filter",
     {0, 5, 1},
     kCheckTexts,
     ControlKind::CheckBox,
     IDC_MP_ANALOG_FILTER,
     "15KHz Analog Filter"},
}};

constexpr const ChannelSettingInfo& multiPurposeInfo(MultiPurposeSetting s) {
    return kMultiPurposeLayout[static_cast<std::size_t>(s)];
}

inline constexpr RegField kMultiPurposeDelayField{4, 0, 16};
inline constexpr RegField kMultiPurposeTimeoutField{5, 0, 16}; // channel 1; channel i at 5 + i

class MultiPurposeSettings {
public:
    static constexpr int kChannels = 4;
    static constexpr int kRegisterCount = 9;
    static constexpr int kTimeoutMax = 240;
    static constexpr std::uint16_t kDefaultChannelWord = 0x0040; // "24 Bit (16M)", rest 0
    using Registers = std::array<std::uint16_t, kRegisterCount>;

    MultiPurposeSettings(); // starts at the defaults

    // --- the dialog frame ---
    void setDefaults();
    void decodeRegisters();
    void encodeRegisters(); // rebuilds registers 0..8 from the settings, then decodes
    void readRegisters(const Registers& from);
    void writeRegisters(Registers& to) const;
    // The synchronised start: read, decode, and the encoding the dialog shows
    // before it first appears.
    void load(const Registers& words);

    // --- user actions; each re-encodes. Those returning false changed nothing. ---
    bool chooseChannel(int index);
    bool choose(MultiPurposeSetting setting, int code);
    // Text-changed of the delay edit: the whole number typed, limited to 0..65535.
    void typeDelay(std::string_view text);
    // Text-changed of the time-out edit: the whole number typed, limited to
    // 0..240, for the channel on show. The edit keeps the typed text.
    void typeTimeout(std::string_view text);
    void pressDefaults();

    // --- queries ---
    int currentChannel() const { return current_; }
    int value(MultiPurposeSetting setting, int channel) const;
    int current(MultiPurposeSetting setting) const { return value(setting, current_); }
    // The text of the selected button; "(none)" for a gate code that has no button.
    std::string_view text(MultiPurposeSetting setting, int channel) const;
    bool hasButton(MultiPurposeSetting setting, int code) const;
    int timeout(int channel) const;
    std::uint16_t delay() const { return delay_; }
    const Registers& registers() const { return regs_; }
    std::string registerText(int index) const; // "%04X"; empty for an index outside 0..8
    std::string delayEditText() const;
    std::string timeoutEditText() const; // of the channel on show
    static std::string_view caption() { return "Configure 770-ZPC-354-00VM"; }

    static int limitTimeout(std::int64_t seconds);

private:
    void afterAction();

    Registers regs_{};
    int current_ = 0;
    std::array<std::array<int, kMultiPurposeSettingCount>, kChannels> values_{};
    std::uint16_t delay_ = 0;
    std::array<int, kChannels> timeouts_{};
    // What an entry edit holds while the user types in it; empty once another
    // action rewrites that edit.
    std::optional<std::string> typedDelay_;
    std::optional<std::string> typedTimeout_;
};

} // namespace velmora
