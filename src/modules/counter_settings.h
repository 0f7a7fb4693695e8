#pragma once
// Settings of the high-speed counter modules (8 and 4 channels): the working
// registers, the decoded settings and the channel on show, with one operation
// per user action. The counter dialog is a thin binding to this class.
//
// Register i below N (the channel count) belongs to channel i+1; register N is
// the autocycle delay. Channels pair up as (1,2), (3,4), ...: range and mode
// belong to the pair and live in the first member's register; while the pair
// is not "UniDirectional" the second member's register is a copy of the first's.

#include "core/catalogue.h"
#include "counter_ids.h"
#include "modules/counter_common.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

enum class CounterSetting { Range, Mode, Size, DigitalFilter, AnalogFilter, Rate };
inline constexpr std::size_t kCounterSettingCount = 6;

inline constexpr std::array<std::string_view, 4> kCounterRangeTexts{"5V", "12V", "24V", "AC"};
inline constexpr std::array<std::string_view, 4> kCounterModeTexts{"UniDirectional", "BiDirectional",
                                                                   "Quadrature 1X", "Quadrature 4X"};
inline constexpr std::array<std::string_view, 2> kCounterSizeTexts{"16 bit (65K)", "24 bit (16M)"};
inline constexpr std::array<std::string_view, 2> kCounterRateTexts{"1.0 Hz", "0.1 Hz"};

// The channel register, indexed by CounterSetting; bits 8-15 belong to no setting.
inline constexpr std::array<ChannelSettingInfo, kCounterSettingCount> kCounterLayout{{
    {"range", {0, 0, 2}, kCounterRangeTexts, ControlKind::RadioSet, IDC_CNT_RANGE_5V, ""},
    {"mode", {0, 2, 2}, kCounterModeTexts, ControlKind::RadioSet, IDC_CNT_MODE_UNI, ""},
    {"size", {0, 6, 1}, kCounterSizeTexts, ControlKind::RadioSet, IDC_CNT_SIZE_16, ""},
    {"digital_filter",
     {0, 4, 1},
     kCheckTexts,
     ControlKind::CheckBox,
     IDC_CNT_DIGITAL_FILTER,
     "30KHz Digital Filter"},
    {"analog_filter",
     {0, 5, 1},
     kCheckTexts,
     ControlKind::CheckBox,
     IDC_CNT_ANALOG_FILTER,
     "15KHz Analog Filter"},
    {"rate", {0, 7, 1}, kCounterRateTexts, ControlKind::RadioSet, IDC_CNT_RATE_1HZ, ""},
}};

// Bits of a channel register that belong to the pair rather than the channel.
inline constexpr std::uint16_t kCounterPairBits = 0x000F;
inline constexpr int kUniDirectional = 0;

constexpr const ChannelSettingInfo& counterInfo(CounterSetting s) {
    return kCounterLayout[static_cast<std::size_t>(s)];
}
constexpr bool pairOwned(CounterSetting s) {
    return (counterInfo(s).field.mask() & kCounterPairBits) != 0;
}

// The catalogue row of a counter module; the 8-channel module's for any other kind.
const ModuleInfo& counterModuleInfo(ModuleKind kind);
int counterChannelCount(ModuleKind kind);

class CounterSettings {
public:
    static constexpr int kMaxChannels = 8;
    static constexpr int kRegisterCount = 9;
    static constexpr int kDelayTextLimit = 5;
    using Registers = std::array<std::uint16_t, kRegisterCount>;

    // 4 channels when asked for 4, else 8. Starts at the defaults.
    explicit CounterSettings(int channelCount);

    // --- the dialog frame ---
    void setDefaults(); // all handled registers 0, channel 1, decoded
    void decodeRegisters();
    void encodeRegisters();                    // rebuilds registers 0..N from the settings, then decodes
    void readRegisters(const Registers& from); // registers 0..N only
    void writeRegisters(Registers& to) const;  // registers 0..N only
    // The synchronised start: read, decode, and the encoding the dialog shows
    // before it first appears.
    void load(const Registers& words);

    // --- user actions; each re-encodes. Those returning false changed nothing
    // because the control is hidden or disabled, or offers no such code. ---
    bool chooseChannel(int index);
    bool choose(CounterSetting setting, int code);
    // Text-changed of the delay edit: the whole number typed, limited to 0..65535.
    void typeDelay(std::string_view text);
    void pressDefaults();

    // --- queries ---
    int channelCount() const { return channels_; }
    int currentChannel() const { return current_; }
    int value(CounterSetting setting, int channel) const;
    int current(CounterSetting setting) const { return value(setting, current_); }
    std::string_view text(CounterSetting setting, int channel) const;
    std::uint16_t delay() const { return delay_; }
    const Registers& registers() const { return regs_; }
    int handledCount() const { return channels_ + 1; }
    int delayRegister() const { return channels_; }

    static bool isSecondMember(int channel) { return (channel & 1) != 0; }
    // Whether the control of `setting` is enabled for the channel on show.
    bool isEnabled(CounterSetting setting) const;
    bool channelShown(int index) const { return index >= 0 && index < channels_; }
    // Register edits and their labels: hidden past the delay register.
    bool registerShown(int index) const { return index >= 0 && index <= channels_; }
    std::string registerText(int index) const; // "%04X"; empty for an index outside 0..8
    std::string delayEditText() const;         // what the delay edit shows
    std::string_view caption() const;

private:
    void encodeOnly();
    void afterAction(); // encode and bring the shown edit text up to date

    int channels_;
    Registers regs_{};
    int current_ = 0;
    std::array<std::array<int, kCounterSettingCount>, kMaxChannels> values_{};
    std::uint16_t delay_ = 0;
    // What the delay edit holds while the user types in it; empty once any
    // other action rewrites the edit.
    std::optional<std::string> typedDelay_;
};

} // namespace velmora
